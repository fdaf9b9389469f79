// Which handler each event of the form runs: one table, read by the dispatcher.
#pragma once

#include <span>

#include "app/encoder_dlg.h"

struct EventRoute {
    CEncoderDlg::Event event;
    int source;  // control id or menu command id
    void (CEncoderDlg::*handler)();
};

std::span<const EventRoute> EncoderEventTable();
