// At the end of the test program, cairo's font caches and fontconfig's configuration are
// released, so that leak checking reports only our own leaks. Only a test program may do this:
// inside a host the plug-in shares both libraries with the host and everything else it loaded.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

namespace vexo {
namespace {

class FontCacheRelease : public ::testing::Environment {
public:
    void TearDown() override {
        cairo_debug_reset_static_data();
        FcFini();
    }
};

const ::testing::Environment* const registered = ::testing::AddGlobalTestEnvironment(new FontCacheRelease);

}  // namespace
}  // namespace vexo
