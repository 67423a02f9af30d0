// A loadable library without the address book's entry point.
extern "C" __attribute__((visibility("default"))) int FakeWabNotTheEntry() {
    return 0;
}
