// Test client run under Wine: the objects in-process and the registered server
// out-of-process, both through IDispatch and through the vtable.
#include <gtest/gtest.h>
#include <objbase.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    CoInitialize(nullptr);
    int rc = RUN_ALL_TESTS();
    CoUninitialize();
    return rc;
}
