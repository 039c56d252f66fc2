#include "HookSink.h"

#include "ResultsRecord.h"
#include "platform/WindowMessage.h"

#include <algorithm>

namespace bd {

HookSink::HookSink(TOpenDialogParams *params)
    : m_params(params)
    , m_hook(params ? params->HookProc : nullptr)
{ }

std::uint32_t HookSink::send(const QWidget *window, std::uint32_t code, std::uint64_t wParam) const
{
    if (!m_hook)
        return 0;
    return m_hook(platform::handleOf(window), code, wParam, std::int64_t(reinterpret_cast<std::intptr_t>(m_params)));
}

void HookSink::windowCreated(const QWidget *window) const
{
    send(window, bdEventWindowCreated, platform::handleOf(window));
}

void HookSink::focusChanged(const QWidget *window, const QString &fullName) const
{
    const QString copy = fullName; // keeps the text alive whatever the hook does
    TBDFocusedItem item { reinterpret_cast<const char16_t *>(copy.utf16()), nullptr };
    send(window, bdEventFocusChanged, std::uint64_t(reinterpret_cast<std::uintptr_t>(&item)));
}

void HookSink::fileActivated(const QWidget *window, const QString &fullName) const
{
    const QString copy = fullName;
    TBDFocusedItem item { reinterpret_cast<const char16_t *>(copy.utf16()), nullptr };
    send(window, bdEventFileActivated, std::uint64_t(reinterpret_cast<std::uintptr_t>(&item)));
}

void HookSink::selection(const QWidget *window, const QStringList &names, int filterIndex) const
{
    if (!m_hook)
        return;
    TOpenDialogResults *results = newResults(names, filterIndex);
    const auto address = std::uint64_t(reinterpret_cast<std::uintptr_t>(results));
    send(window, bdEventSelection, address);
    // The host frees the record in answer to 2052; a host that ignores 2052
    // leaves it to the library's unload.
    send(window, bdEventFreeResults, address);
}

void HookSink::textFocus(const QWidget *window, bool inTextField) const
{
    send(window, bdEventTextFocus, inTextField ? 1 : 0);
}

void HookSink::closeRequest(const QWidget *window) const
{
    send(window, bdEventCloseRequest, 0);
}

std::vector<HostMenuEntry> HookSink::fileMenu(const QWidget *window, int selectionCount) const
{
    if (!m_hook)
        return {};
    TBDMenuRequest request {};
    request.StructSize = sizeof(TBDMenuRequest);
    request.SelectionCount = std::uint32_t(std::max(0, selectionCount));
    send(window, bdEventFileMenu, std::uint64_t(reinterpret_cast<std::uintptr_t>(&request)));
    return copyHostEntries(request);
}

void HookSink::menuCommand(const QWidget *window, std::uint32_t command) const
{
    send(window, bdEventFileMenuCommand, command);
}

} // namespace bd
