#pragma once

// The fixture of the end-to-end tests that drive the real program with keys
// and watch the pointer devices: a private Xvfb with the identity ramp, the
// program's own directory, the server's devices and keyboard.

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "support/input_devices.h"
#include "support/running_program.h"
#include "support/xvfb.h"

namespace tintora::test {

class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override;

    // Polls the device's matrix until it is expected; the last one read.
    std::optional<MatrixBits> waitForMatrix(int id, const MatrixBits& expected,
                                            std::chrono::milliseconds timeout = ProgramStartTimeout);

    // The program handles keys in order, so once it has acted on a Ctrl
    // press and release (the slow pointer comes and goes in the mouse's
    // matrix) it has handled every key sent before. Only with the slow
    // option off and the mouse's own matrix the identity.
    void waitUntilKeysHandled();

    Xvfb m_server;
    InputDevices m_devices{m_server};
    Keyboard m_keyboard{m_server};
    ProgramDirectory m_directory;
    // The XTest pointer the tests move, and the mouse they never move.
    int m_xtest = 0;
    int m_mouse = 0;
};

} // namespace tintora::test
