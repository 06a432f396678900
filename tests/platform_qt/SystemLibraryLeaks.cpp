// Font and bus libraries keep process-wide caches until exit; the leak checker of the
// sanitizer build is told to leave those to them.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libdbus-1.so\n";
}
