// System functions bound by library and exported name while the program runs.
// Each entry binds on its first call: the program's folder is searched first,
// then the system's standard search. A library or name that can't be found is
// fatal (FatalError names both).
#pragma once

namespace platform {

struct BoundFunction {
  const char* library;
  const char* name;
  void* libraryHandle = nullptr;
  void* address = nullptr;
};

// The address of the entry's function, binding it first when needed. Each
// entry binds on its own: two entries of one library load it twice.
void* Bind(BoundFunction& entry);

// Releases every library that an entry bound (after the exit routines).
void ReleaseBoundLibraries();

template <typename Function>
Function* BoundAs(BoundFunction& entry) {
  return reinterpret_cast<Function*>(Bind(entry));
}

}  // namespace platform
