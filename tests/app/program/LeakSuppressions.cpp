// Fontconfig keeps the fonts it scanned for the life of the process in memory
// it reaches through offsets rather than pointers, which LeakSanitizer takes
// for leaks. Only allocations made inside fontconfig are excused; everything
// our own code allocates is still checked.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
