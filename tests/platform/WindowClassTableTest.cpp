// Window classes by name, as every operating system here keeps them: a window is made only of
// a class registered and not taken back.
#include <gtest/gtest.h>

#include <string>

#include "platform/OsWindowRules.h"
#include "platform/ScriptedOperatingSystem.h"

namespace velmora {
namespace {

std::intptr_t quietProc(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) {
    return 0;
}

TEST(WindowClasses, AWindowIsMadeOnlyOfAClassRegisteredAndNotTakenBack) {
    ScriptedOperatingSystem os;
    WindowClass windowClass;
    windowClass.windowProc = quietProc;
    windowClass.className = "renderer";
    EXPECT_EQ(os.createWindow("renderer", "Velmora", WS_POPUP, 0, 0, 8, 8), nullptr);
    ASSERT_TRUE(os.registerClass(windowClass));
    EXPECT_FALSE(os.registerClass(windowClass)) << "a name is taken once";
    EXPECT_EQ(os.createWindow("other", "Velmora", WS_POPUP, 0, 0, 8, 8), nullptr);
    EXPECT_NE(os.createWindow("renderer", "Velmora", WS_POPUP, 0, 0, 8, 8), nullptr);
    EXPECT_TRUE(os.unregisterClass("renderer"));
    EXPECT_FALSE(os.unregisterClass("renderer")) << "taken back once";
    EXPECT_FALSE(os.unregisterClass(nullptr));
    EXPECT_EQ(os.createWindow("renderer", "Velmora", WS_POPUP, 0, 0, 8, 8), nullptr);
}

TEST(WindowClasses, TheTableKeepsItsOwnCopyOfTheName) {
    WindowClassTable table;
    std::string name = "renderer";
    WindowClass windowClass;
    windowClass.className = name.c_str();
    ASSERT_TRUE(table.add(windowClass));
    name = "changed!";  // the caller's string may go away
    const WindowClass* found = table.find("renderer");
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(found->className, "renderer");
    EXPECT_EQ(table.find(nullptr), nullptr);
    EXPECT_EQ(table.find("changed!"), nullptr);
}

}  // namespace
}  // namespace velmora
