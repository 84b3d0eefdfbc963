/* A library that only the program's own folder holds: binding its function
   by bare name shows that the folder is searched before the system's. */
int picdock_bind_probe(void) { return 42; }
