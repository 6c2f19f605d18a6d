#pragma once
// The list classes of the printout: CLIST, a growable array of element pointers; CLISTOBJ,
// the same for COBJ elements that it destroys through their virtual destructor. A list
// that cannot get memory for its array raises ListError ("Chyba LIST"). Thread contract:
// a list belongs to one thread.
#include <stdexcept>

namespace zeda {

// The text a list raises when its array cannot grow.
inline constexpr const char* kListErrorText = "Chyba LIST";

class ListError : public std::runtime_error {
 public:
  ListError() : std::runtime_error(kListErrorText) {}
};

class COBJ {
 public:
  virtual ~COBJ() = default;
};

class CLIST {
 public:
  // owning: the list frees its elements (raw memory from std::malloc); a list that only
  // points at things owned elsewhere passes false.
  CLIST(int capacity, int step, bool owning = true, void*** external = nullptr);
  virtual ~CLIST();
  CLIST(const CLIST&) = delete;
  CLIST& operator=(const CLIST&) = delete;

  // Slot 0: removes the element and frees it (nothing when absent).
  virtual void Delete(void* element);
  // Slot 1: removes the element at index and frees it (nothing outside 0..count-1).
  virtual void DeleteAt(int index);
  // Slot 2: frees every element and empties the list.
  virtual void DeleteAll();

  // Inserts at position (below 0 or beyond the count: appended); later elements move up.
  void Insert(int position, void* element);
  void Append(void* element) { Insert(-1, element); }
  // Removes the first equal pointer without freeing it; false when absent.
  bool Remove(void* element);
  // Removes the element at index and returns it (null outside 0..count-1).
  void* RemoveAt(int index);
  // Empties the list without freeing anything.
  void Clear() { count_ = 0; }

  int Count() const { return count_; }
  int Capacity() const { return capacity_; }
  void* At(int index) const { return index >= 0 && index < count_ ? items_[index] : nullptr; }

 protected:
  virtual void FreeElement(void* element);
  int IndexOf(void* element) const;

 private:
  void Grow();

  int capacity_;
  int step_;
  bool owning_;
  int count_ = 0;
  void** items_ = nullptr;
  void*** external_;  // kept pointing at items_ when the array moves
};

class CLISTOBJ : public CLIST {
 public:
  CLISTOBJ(int capacity, int step) : CLIST(capacity, step, true) {}
  ~CLISTOBJ() override { DeleteAll(); }

  void Append(COBJ* element) { CLIST::Append(element); }
  COBJ* At(int index) const { return static_cast<COBJ*>(CLIST::At(index)); }

 protected:
  void FreeElement(void* element) override { delete static_cast<COBJ*>(element); }
};

}  // namespace zeda
