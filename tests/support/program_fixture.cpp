#include "support/program_fixture.h"

namespace tintora::test {

void ProgramFixture::SetUp()
{
    ASSERT_TRUE(m_server.running()) << m_server.error();
    ASSERT_TRUE(m_directory.error().empty()) << m_directory.error();
    ASSERT_TRUE(loadIdentityRamp(m_server));
    const auto xtest = m_devices.idOf("Virtual core XTEST pointer");
    const auto mouse = m_devices.idOf("Xvfb mouse");
    ASSERT_TRUE(xtest && mouse) << "Xvfb is expected to have an XTEST pointer and a mouse";
    m_xtest = *xtest;
    m_mouse = *mouse;
}

std::optional<MatrixBits> ProgramFixture::waitForMatrix(int id, const MatrixBits& expected,
                                                        std::chrono::milliseconds timeout)
{
    return test::waitForMatrix(m_devices, id, expected, timeout);
}

void ProgramFixture::waitUntilKeysHandled()
{
    ASSERT_TRUE(m_keyboard.press("Control_L"));
    ASSERT_EQ(waitForMatrix(m_mouse, scaleMatrix(1.0f / 32)), scaleMatrix(1.0f / 32)) << "Ctrl did not slow the pointer";
    ASSERT_TRUE(m_keyboard.release("Control_L"));
    ASSERT_EQ(waitForMatrix(m_mouse, scaleMatrix(1)), scaleMatrix(1)) << "Ctrl's release did not restore the speed";
}

} // namespace tintora::test
