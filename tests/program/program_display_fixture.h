// The program's display set up by its own InitDisplay for a test window on
// the layer's headless backend, and forgotten again afterwards.
#pragma once

#include "display/display_setup.h"
#include "display/display_state.h"
#include "layer/layer_fixture.h"

class ProgramDisplayTest : public layertest::LayerTest {
protected:
    void SetUp() override
    {
        LayerTest::SetUp();
        DisplayState = {};
        DisplayState.MainWindow = window;
        ASSERT_EQ(InitDisplay(window), 1);
    }
    void TearDown() override
    {
        DisplayState = {};
        LayerTest::TearDown();
    }
};
