#pragma once
// Growing a buffer while the program runs can fail for want of memory. Every buffer the running
// program grows goes through these helpers, which turn the failure into a false the caller
// handles, so a shortage of memory never ends the program.
#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

namespace squish::sim {

// A test hook for the paths taken when memory runs out. The owner of some buffers holds one;
// from the growth numbered failFrom on (counting from 1) every growth fails as if memory had run
// out. Only growth that needs new memory counts.
struct AllocationFaults {
  std::int64_t failFrom = 0;  // 0: no growth fails
  std::int64_t growths = 0;   // growths asked for so far

  bool refusesNext() {
    ++growths;
    return failFrom > 0 && growths >= failFrom;
  }
};

// Makes room for `size` elements without changing the contents; false when it cannot.
template <typename T>
bool tryReserve(std::vector<T>& buffer, std::size_t size, AllocationFaults& faults) {
  if (size <= buffer.capacity()) return true;
  if (faults.refusesNext()) return false;
  try {
    buffer.reserve(size);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

// Resizes `buffer` to `size` elements, new ones value-initialised. False, with the buffer as it
// was, when the memory cannot be had.
template <typename T>
bool tryResize(std::vector<T>& buffer, std::size_t size, AllocationFaults& faults) {
  if (!tryReserve(buffer, size, faults)) return false;
  buffer.resize(size);
  return true;
}

// Replaces the contents with `size` copies of `value`; false, with the buffer as it was, when
// the memory cannot be had.
template <typename T>
bool tryAssign(std::vector<T>& buffer, std::size_t size, const T& value, AllocationFaults& faults) {
  if (!tryReserve(buffer, size, faults)) return false;
  buffer.assign(size, value);
  return true;
}

}  // namespace squish::sim
