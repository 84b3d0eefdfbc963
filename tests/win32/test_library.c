/* A library for the binder's tests, placed beside the test program. */
__declspec(dllexport) int PicdockTestAnswer(void) { return 42; }
