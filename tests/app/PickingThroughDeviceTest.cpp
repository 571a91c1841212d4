// The mouse tools through the real pick ray: cursor, window, the renderer's matrices and
// the device's unprojection.
#include "ApplicationFixture.h"
#include "app/PickRayFromCursor.h"
#include "tests/math/ApproxEqual.h"

namespace velmora::test {
namespace {

TEST_F(ApplicationTest, CentreClickOnEmptySpaceSpawnsAtTheLookedAtPoint) {
    start();
    app->particles.clear();
    cursorAtClient(400, 300);
    passHolding({VK_MBUTTON});
    ASSERT_EQ(app->particles.size(), 1u);
    // Stepped once by the running simulation: 0.01 s of fall is well under a millimetre.
    EXPECT_VEC3_NEAR(app->particles[0]->current.position, Vec3(0, 0.1f, 0), 2e-3f);

    // In full screen the viewport is the whole display: its centre picks the same point.
    os.setKey(VK_MENU, true);
    passHolding({VK_RETURN});
    os.setKey(VK_MENU, false);
    ASSERT_TRUE(fullScreen);
    passHolding({VK_TAB});
    app->particles.clear();
    os.cursor = {640, 400};
    passHolding({VK_MBUTTON});
    ASSERT_EQ(app->particles.size(), 1u);
    EXPECT_VEC3_NEAR(app->particles[0]->current.position, Vec3(0, 0.1f, 0), 2e-3f);
}

TEST_F(ApplicationTest, RightClickPairsLinkUnlinkAndPinThroughTheWindow) {
    start();
    passHolding({VK_TAB});
    app->particles.clear();
    // Two particles spawned left and right of the centre.
    cursorAtClient(300, 300);
    click({VK_MBUTTON});
    cursorAtClient(500, 300);
    click({VK_MBUTTON});
    ASSERT_EQ(app->particles.size(), 2u);
    Particle* left = app->particles[0].get();
    Particle* right = app->particles[1].get();

    auto rightClickAt = [&](int x) {
        cursorAtClient(x, 300);
        click({VK_RBUTTON});
    };
    rightClickAt(300);
    rightClickAt(500);
    ASSERT_TRUE(left->isLinkedTo(right));
    EXPECT_NEAR(left->links[0].restLength, length(right->current.position - left->current.position),
                1e-4f);
    rightClickAt(300);
    rightClickAt(500);
    EXPECT_FALSE(left->isLinkedTo(right));
    EXPECT_FALSE(right->isLinkedTo(left));
    rightClickAt(500);
    rightClickAt(500);
    EXPECT_TRUE(right->pinned);

    // While running right clicks change nothing at all.
    passHolding({VK_TAB});
    rightClickAt(300);
    EXPECT_EQ(app->editing.joinSel, nullptr);
}

TEST_F(ApplicationTest, LeftDragWithShiftMovesAlongTheCameraRight) {
    start();
    passHolding({VK_TAB});  // paused: the drag writes next, committed the same pass
    Particle* grabbed = app->particles[6].get();  // the cube's front corner, under the centre
    const Vec3 before = grabbed->current.position;
    cursorAtClient(400, 300);
    os.setKey(VK_SHIFT, true);
    os.setKey(VK_LBUTTON, true);
    app->runPass();
    ASSERT_EQ(app->editing.dragTarget, grabbed);
    EXPECT_EQ(os.screenToClient(windowHandle, os.cursor), (Point{400, 300}));
    cursorAtClient(410, 300);
    app->runPass();
    EXPECT_VEC3_NEAR(grabbed->current.position - before,
                     app->scene.mainCamera.right() * 0.5f, 1e-5f);
    os.setKey(VK_LBUTTON, false);
    app->runPass();
    EXPECT_EQ(app->editing.dragTarget, nullptr);
}

}  // namespace
}  // namespace velmora::test
