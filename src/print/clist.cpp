#include "print/clist.h"

#include <cstdlib>
#include <cstring>

namespace zeda {

CLIST::CLIST(int capacity, int step, bool owning, void*** external)
    : capacity_(capacity > 0 ? capacity : 1),
      step_(step > 0 ? step : 1),
      owning_(owning),
      external_(external) {
  items_ = static_cast<void**>(std::malloc(sizeof(void*) * static_cast<size_t>(capacity_)));
  if (!items_) throw ListError();
  if (external_) *external_ = items_;
}

CLIST::~CLIST() {
  // A derived list has freed its elements in its own destructor already (count is 0 then).
  if (owning_) {
    for (int i = 0; i < count_; ++i) std::free(items_[i]);
  }
  count_ = 0;
  std::free(items_);
  if (external_) *external_ = nullptr;
}

void CLIST::FreeElement(void* element) {
  if (owning_) std::free(element);
}

int CLIST::IndexOf(void* element) const {
  for (int i = 0; i < count_; ++i) {
    if (items_[i] == element) return i;
  }
  return -1;
}

void CLIST::Delete(void* element) {
  if (Remove(element)) FreeElement(element);
}

void CLIST::DeleteAt(int index) {
  if (void* e = RemoveAt(index)) FreeElement(e);
}

void CLIST::DeleteAll() {
  // The count drops first, so an element's destructor never sees itself in the list.
  const int n = count_;
  count_ = 0;
  for (int i = 0; i < n; ++i) FreeElement(items_[i]);
}

void CLIST::Grow() {
  const int wanted = capacity_ + step_;
  void** moved =
      static_cast<void**>(std::realloc(items_, sizeof(void*) * static_cast<size_t>(wanted)));
  if (!moved) throw ListError();
  items_ = moved;
  capacity_ = wanted;
  if (external_) *external_ = items_;
}

void CLIST::Insert(int position, void* element) {
  if (count_ == capacity_) Grow();
  if (position < 0 || position > count_) position = count_;
  std::memmove(items_ + position + 1, items_ + position,
               sizeof(void*) * static_cast<size_t>(count_ - position));
  items_[position] = element;
  ++count_;
}

bool CLIST::Remove(void* element) {
  const int i = IndexOf(element);
  if (i < 0) return false;
  RemoveAt(i);
  return true;
}

void* CLIST::RemoveAt(int index) {
  if (index < 0 || index >= count_) return nullptr;
  void* e = items_[index];
  std::memmove(items_ + index, items_ + index + 1,
               sizeof(void*) * static_cast<size_t>(count_ - index - 1));
  --count_;
  return e;
}

}  // namespace zeda
