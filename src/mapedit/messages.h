#pragma once
// Messages of the map editor, in the three languages ("###English##German##Czech").
namespace zeda::mapedit_msg {

inline constexpr const char* kColumnsAtMaximum =
    "###Column count is on maximum !\nDelete some first..."
    "##Die Spaltenanzahl ist maximal !\nZuerst einige l\u00f6schen..."
    "##Po\u010det sloupc\u016f je maxim\u00e1ln\u00ed !\nNejd\u0159\u00edve n\u011bkter\u00e9 "
    "sma\u017ete...";

inline constexpr const char* kRowsAtMaximum =
    "###Row count is on maximum !\nDelete some first..."
    "##Die Zeilenanzahl ist maximal !\nZuerst einige l\u00f6schen..."
    "##Po\u010det \u0159\u00e1dk\u016f je maxim\u00e1ln\u00ed !\nNejd\u0159\u00edve "
    "n\u011bkter\u00e9 sma\u017ete...";

inline constexpr const char* kDimensionsDiffer =
    "###Table dimensions are not eqal and there is unable to change it !\nInsertion canceled..."
    "##Die Tabellengr\u00f6\u00dfen sind verschieden und k\u00f6nnen nicht ge\u00e4ndert werden !\n"
    "Einf\u00fcgen abgebrochen..."
    "##Rozm\u011bry tabulek se li\u0161\u00ed a nelze je zm\u011bnit !\nVlo\u017een\u00ed "
    "zru\u0161eno...";

// Menu items for deleting the selected columns or rows; with several the count follows as
// "%s (%i)".
inline constexpr const char* kDeleteColumn =
    "###Delete column##Spalte l\u00f6schen##Smazat sloupec";
inline constexpr const char* kDeleteColumns =
    "###Delete columns##Spalten l\u00f6schen##Smazat sloupce";
inline constexpr const char* kDeleteRow =
    "###Delete row##Zeile l\u00f6schen##Smazat \u0159\u00e1dek";
inline constexpr const char* kDeleteRows =
    "###Delete rows##Zeilen l\u00f6schen##Smazat \u0159\u00e1dky";

// Programming errors in a string view; shown as error messages, in one language only.
inline constexpr const char* kStringViewBadIndex = "Spatny index stringview >n";
inline constexpr const char* kStringViewBadEntry = "Spatny index stringview >MAXSV";
inline constexpr const char* kStringViewNull = "Spatny stringview (part is NULL)";

}  // namespace zeda::mapedit_msg
