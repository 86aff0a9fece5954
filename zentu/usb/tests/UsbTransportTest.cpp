#include <gtest/gtest.h>
#include "UsbTransport.h"
#include "ZentuSimControl.h"

TEST(Smoke, DriverAnswers)
{
    CZentuSimControl sim;
    ASSERT_TRUE(sim.IsOpen());
    ASSERT_TRUE(sim.Reset());
    CUsbTransport* t = CreateTransport();
    ASSERT_TRUE(OpenTransport(t));
    WORD v = 0;
    EXPECT_TRUE(ReadSensorRegister(t, &v));
    EXPECT_EQ(v, 0x1643);
    FreeTransport(t);
}
