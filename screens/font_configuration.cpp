// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/font_configuration.h"

#include <fontconfig/fontconfig.h>
#include <pthread.h>

#include <thread>

namespace qirtaz::screens {
namespace {

// Started and waited for by the window's thread alone.
struct Reading {
    std::thread thread;
    ~Reading() {
        if (thread.joinable())
            thread.join();
    }
};

Reading& reading() {
    static Reading ahead;
    return ahead;
}

} // namespace

void readFontConfigurationAhead() {
    if (!reading().thread.joinable()) {
        reading().thread = std::thread([] { FcInit(); });
        pthread_setname_np(reading().thread.native_handle(), "fonts ahead");
    }
}

void awaitFontConfiguration() {
    if (reading().thread.joinable())
        reading().thread.join();
}

} // namespace qirtaz::screens
