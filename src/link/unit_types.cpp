#include "link/unit_types.h"

namespace zeda {

// Keys 1-111 (without 27 and 62), 301-311, 1000 and 1001.
const UnitType UnitTypeTable[kUnitTypeCount + 1] = {
    {1, "KESTRA1 ALFA 1"},    {2, "KESTRA1 BETA 1"},      {3, "KESTRA1 GAMA 1"},
    {4, "KESTRA1 DELTA 1"},   {5, "KESTRA1 EPSI 1"},      {6, "KESTRA1 ZETA 1"},
    {7, "KESTRA1 ETA 1"},     {8, "KESTRA1 THETA 1"},     {9, "KESTRA1 IOTA 1"},
    {10, "KESTRA1 KAPA 1"},   {11, "KESTRA1 LAMBDA 1"},   {12, "KESTRA1 MY 1"},
    {13, "KESTRA1 NY 1"},     {14, "KESTRA1 XI 1"},       {15, "KESTRA1 OMIKRON 1"},
    {16, "KESTRA1 PI 1"},     {17, "KESTRA1 RHO 1"},      {18, "KESTRA1 SIGMA 1"},
    {19, "KESTRA1 TAU 1"},    {20, "KESTRA1 YPSI 1"},     {21, "KESTRA1 FI 1"},
    {22, "KESTRA1 CHI 1"},    {23, "KESTRA1 PSI 1"},      {24, "KESTRA1 OMEGA 1"},
    {25, "KESTRA1 ALFA 2"},   {26, "KESTRA1 BETA 2"},     {28, "KESTRA1 DELTA 2"},
    {29, "KESTRA1 EPSI 2"},   {30, "KESTRA1 ZETA 2"},     {31, "KESTRA1 ETA 2"},
    {32, "KESTRA1 THETA 2"},  {33, "KESTRA1 IOTA 2"},     {34, "KESTRA1 KAPA 2"},
    {35, "KESTRA1 LAMBDA 2"}, {36, "KESTRA1 MY 2"},       {37, "KESTRA1 NY 2"},
    {38, "KESTRA1 XI 2"},     {39, "KESTRA1 OMIKRON 2"},  {40, "KESTRA1 PI 2"},
    {41, "KESTRA2 ALFA 1"},   {42, "KESTRA2 BETA 1"},     {43, "KESTRA2 GAMA 1"},
    {44, "KESTRA2 DELTA 1"},  {45, "KESTRA2 EPSI 1"},     {46, "KESTRA2 ZETA 1"},
    {47, "KESTRA2 ETA 1"},    {48, "KESTRA2 THETA 1"},    {49, "KESTRA2 IOTA 1"},
    {50, "KESTRA2 KAPA 1"},   {51, "KESTRA2 LAMBDA 1"},   {52, "KESTRA2 MY 1"},
    {53, "KESTRA2 NY 1"},     {54, "KESTRA2 XI 1"},       {55, "KESTRA2 OMIKRON 1"},
    {56, "KESTRA2 PI 1"},     {57, "KESTRA2 RHO 1"},      {58, "KESTRA2 SIGMA 1"},
    {59, "KESTRA2 TAU 1"},    {60, "KESTRA2 YPSI 1"},     {61, "KESTRA2 FI 1"},
    {63, "KESTRA2 PSI 1"},    {64, "KESTRA2 OMEGA 1"},    {65, "KESTRA2 ALFA 2"},
    {66, "KESTRA2 BETA 2"},   {67, "KESTRA2 GAMA 2"},     {68, "KESTRA2 DELTA 2"},
    {69, "KESTRA2 EPSI 2"},   {70, "KESTRA2 ZETA 2"},     {71, "KESTRA2 ETA 2"},
    {72, "KESTRA2 THETA 2"},  {73, "KESTRA2 IOTA 2"},     {74, "KESTRA2 KAPA 2"},
    {75, "KESTRA2 LAMBDA 2"}, {76, "KESTRA2 MY 2"},       {77, "KESTRA2 NY 2"},
    {78, "KESTRA2 XI 2"},     {79, "KESTRA2 OMIKRON 2"},  {80, "KESTRA2 PI 2"},
    {81, "KESTRA2 RHO 2"},    {82, "KESTRA2 SIGMA 2"},    {83, "KESTRA2 TAU 2"},
    {84, "KESTRA2 YPSI 2"},   {85, "KESTRA2 FI 2"},       {86, "KESTRA2 CHI 2"},
    {87, "KESTRA2 PSI 2"},    {88, "KESTRA2 OMEGA 2"},    {89, "KESTRA2 ALFA 3"},
    {90, "KESTRA2 BETA 3"},   {91, "KESTRA2 GAMA 3"},     {92, "KESTRA2 DELTA 3"},
    {93, "KESTRA2 EPSI 3"},   {94, "KESTRA2 ZETA 3"},     {95, "KESTRA2 ETA 3"},
    {96, "KESTRA2 THETA 3"},  {97, "KESTRA2 IOTA 3"},     {98, "KESTRA2 KAPA 3"},
    {99, "KESTRA2 LAMBDA 3"}, {100, "KESTRA2 MY 3"},      {101, "KESTRA2 NY 3"},
    {102, "KESTRA2 XI 3"},    {103, "KESTRA2 OMIKRON 3"}, {104, "KESTRA2 PI 3"},
    {105, "KESTRA2 RHO 3"},   {106, "KESTRA2 SIGMA 3"},   {107, "KESTRA2 ZEDA"},
    {108, "KESTRA2 YPSI 3"},  {109, "KESTRA2 FI 3"},      {110, "KESTRA2 CHI 3"},
    {111, "KESTRA2 PSI 3"},   {301, "KESTRA3 S01"},       {302, "KESTRA3 S02"},
    {303, "KESTRA3 S03"},     {304, "KESTRA3 S04"},       {305, "KESTRA3 S05"},
    {306, "KESTRA3 S06"},     {307, "KESTRA3 S07"},       {308, "KESTRA3 S08"},
    {309, "KESTRA3 S09"},     {310, "KESTRA3 S10"},       {311, "KESTRA3 S11"},
    {1000, "KESTRA LOADER"},  {1001, "KESTRA LOADER 2"},  {0, ""},
};

const char* UnitModelName(int32_t key) {
  if (key == 0) return nullptr;
  for (const UnitType& t : UnitTypeTable) {
    if (t.key == 0) break;
    if (t.key == key) return t.name;
  }
  return nullptr;
}

}  // namespace zeda
