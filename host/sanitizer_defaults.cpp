// Built into the game only with the sanitizers on (RK_SANITIZE). The leak
// checker reads these suppressions at exit: the D-Bus connection SDL opens for
// a real window is left open by SDL on purpose (closing D-Bus at quit would
// break other users of the library in the process), so its buffers are not a
// leak of ours. The game's children get no sanitizer options from their
// environment (tests start it with a clean one), hence built in; the list of
// suppressions used is not printed, so a clean exit leaves stderr empty.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
