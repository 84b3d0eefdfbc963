/* A gdiplus.dll that lacks every function the program binds from it: the
   end-to-end test puts it beside the program to see the fatal error. */
__declspec(dllexport) int PicdockNotGdiplus(void) { return 0; }
