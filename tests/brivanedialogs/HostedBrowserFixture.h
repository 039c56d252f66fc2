#pragma once

#include "DialogHost.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdint>

// A browser opened by the test host inside a shown parent window, over a
// temporary folder the test fills.
class HostedBrowserTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (QWidget *window = browserWindow(handle))
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Opens the browser from the records as the test set them up and waits
    // for its first listing of rows rows.
    QWidget *openPrepared(int rows)
    {
        EXPECT_EQ(host.openDialog(&records.params, &records.results), 1);
        const auto created = DialogHost::eventsWithCode(bdEventWindowCreated);
        if (created.empty())
            return nullptr;
        handle = std::uintptr_t(created.back().wParam);
        QWidget *window = browserWindow(handle);
        EXPECT_TRUE(waitForRows(window, rows)) << rowNames(window).join(u',').toStdString();
        return window;
    }

    DialogHost host;
    TempDir dir;
    QWidget parent;
    HostRecords records;
    std::uintptr_t handle = 0;
};
