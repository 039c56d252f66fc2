#pragma once

// The dialog library's embedded browser opened through its C interface in a
// host window, as the program opens it, for the benchmarks that time it.

#include "BrivaneDialogs.h"
#include "platform/WindowMessage.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <dlfcn.h>
#include <string>

class OpenedBrowser
{
public:
    // filters and additional are the library's own strings; initialDir the
    // folder shown first. window() is null when the library cannot be loaded.
    OpenedBrowser(const QString &initialDir, std::u16string filters, std::u16string additional, TBDGUID guid)
        : m_filters(std::move(filters))
        , m_additional(std::move(additional))
    {
        const QByteArray beside = QFile::encodeName(QCoreApplication::applicationDirPath()) + '/' + bdLibraryFileName;
        void *library = dlopen(beside.constData(), RTLD_NOW);
        if (!library)
            return;
        auto open = reinterpret_cast<TBrivaneDialogs_OpenDialog>(dlsym(library, "BrivaneDialogs_OpenDialog"));
        if (!open)
            return;
        m_host.resize(1400, 900);
        m_host.show();
        m_initial = initialDir.toStdU16String();
        m_params.Options = 0x01B80040;
        m_params.OptionsEx = 0x0400;
        m_params.ParentWindow = platform::handleOf(&m_host);
        m_params.HookProc = &OpenedBrowser::hook;
        m_params.DialogGUID = guid;
        m_params.Filters = m_filters.c_str();
        m_params.InitialDir = m_initial.c_str();
        m_params.AdditionalParameters = m_additional.c_str();
        open(&m_params, &m_results);
        m_window = platform::widgetOf(s_handle);
    }
    OpenedBrowser(const OpenedBrowser &) = delete;
    OpenedBrowser &operator=(const OpenedBrowser &) = delete;

    QWidget *window() const { return m_window; }

private:
    static std::uint32_t hook(std::uintptr_t, std::uint32_t msg, std::uint64_t wParam, std::int64_t)
    {
        if (msg == bdEventWindowCreated)
            s_handle = std::uintptr_t(wParam);
        return 1;
    }
    static inline std::uintptr_t s_handle = 0;

    QWidget m_host;
    QWidget *m_window = nullptr;
    std::u16string m_filters, m_initial, m_additional;
    TOpenDialogParams m_params {};
    TOpenDialogResults m_results {};
};
