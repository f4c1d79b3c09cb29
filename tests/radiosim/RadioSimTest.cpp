#include "SimRadio.h"
#include "TempDir.h"
#include "app/WR7310App.h"
#include "link/RadioComm.h"

#include <gtest/gtest.h>

namespace {

TEST(RadioSim, Handshake) {
    CTempDir dir;
    CWR7310App app(XtraVariant(), dir.File("x.ini"));
    CRecordingNotifier notes;
    app.SetNotifier(&notes);
    CRadioSimOptions o;
    o.nBaudRate = 0;
    CSimRadio radio(o);
    app.m_strPortDevice = radio.DevicePath();
    CRadioComm comm(&app);
    EXPECT_NE(comm.Connect(), 0);
    EXPECT_TRUE(notes.Texts().empty());
}

} // namespace
