#include "app/program_state.h"

Text ProgramFolder;
int ScreenHeight = 0;
