// A shared library that loads but is no FreeFrame plug-in: it has no plugMain.
extern "C" __attribute__((visibility("default"))) int somethingElse() {
  return 7;
}
