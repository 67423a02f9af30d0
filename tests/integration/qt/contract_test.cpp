// The window system and shell contract on the real desktop.
#include "test_support.h"

namespace qv::contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowSystemContract, test::QtDesktop);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ShellContract, test::QtDesktop);
} // namespace qv::contract
