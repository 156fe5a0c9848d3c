#include "common/Messages.h"

#include <gtest/gtest.h>

using namespace ret;

TEST(Messages, HeadlessWritesOneLinePerMessageAndTakesTheDefault) {
    HeadlessMessages sink;
    testing::internal::CaptureStderr();
    const MsgAnswer a = sink.show(
        {MsgIcon::Question, "Desea\r\nsalir?\nAhora", "Mensaje", MsgButtons::YesNo, MsgAnswer::No});
    sink.inform(MsgIcon::Information, QString::fromUtf8("Grabación"), "Aviso");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[Mensaje] Desea salir? Ahora\n[Aviso] Grabación\n");
    EXPECT_EQ(a, MsgAnswer::No);
}

TEST(Messages, HeadlessWhenAskedOrWithoutADisplay) {
    const QByteArray saved[] = {qgetenv("RET_HEADLESS"), qgetenv("QT_QPA_PLATFORM"),
                                qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY")};
    qputenv("RET_HEADLESS", "1");
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("DISPLAY", ":0");
    EXPECT_TRUE(headlessRequested());
    qunsetenv("RET_HEADLESS");
    EXPECT_FALSE(headlessRequested());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    EXPECT_TRUE(headlessRequested());
    qunsetenv("QT_QPA_PLATFORM");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    EXPECT_TRUE(headlessRequested());
    qputenv("DISPLAY", ":1");
    EXPECT_FALSE(headlessRequested());
    const char* names[] = {"RET_HEADLESS", "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};
    for (int i = 0; i < 4; ++i) {
        if (saved[i].isNull())
            qunsetenv(names[i]);
        else
            qputenv(names[i], saved[i]);
    }
}
