#include "platform/win32/win32_bound_functions.h"

#include <iterator>

namespace platform::win32 {

namespace {
#define PICDOCK_ENTRY_NUMBER(entry, library, name, result, convention, parameters) entry,
constexpr int kEntryNumbers[] = {PICDOCK_BOUND_FUNCTIONS(PICDOCK_ENTRY_NUMBER)};
#undef PICDOCK_ENTRY_NUMBER

constexpr bool EntriesInOrder() {
  for (int i = 0; i < kBoundFunctionCount; ++i) {
    if (kEntryNumbers[i] != i) return false;
  }
  return true;
}
static_assert(std::size(kEntryNumbers) == kBoundFunctionCount);
static_assert(EntriesInOrder(), "the table lists the entries by number, without gaps");
}  // namespace

#define PICDOCK_SLOT(entry, library, name, result, convention, parameters) {library, #name},
BoundFunction gBoundFunctions[kBoundFunctionCount] = {PICDOCK_BOUND_FUNCTIONS(PICDOCK_SLOT)};
#undef PICDOCK_SLOT

}  // namespace platform::win32
