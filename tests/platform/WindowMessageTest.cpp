#include "platform/WindowMessage.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace platform;

namespace {

class Receiver : public QWidget
{
public:
    bool event(QEvent *event) override
    {
        if (WindowMessageEvent::isWindowMessage(event)) {
            auto *message = static_cast<WindowMessageEvent *>(event);
            messages.append(message->message());
            message->setResult(std::intptr_t(message->wParam() + std::uint64_t(message->lParam())));
            return true;
        }
        return QWidget::event(event);
    }
    QList<unsigned> messages;
};

TEST(WindowMessageTest, DeliversSynchronouslyWithResult)
{
    Receiver receiver;
    const WindowHandle handle = handleOf(&receiver);
    EXPECT_EQ(sendWindowMessage(handle, 2072, 40, 2), 42);
    EXPECT_EQ(sendWindowMessage(handle, 2055), 0);
    EXPECT_EQ(receiver.messages, (QList<unsigned> { 2072, 2055 }));
}

TEST(WindowMessageTest, StaleAndNullHandlesSendNothing)
{
    WindowHandle stale = 0;
    {
        Receiver receiver;
        stale = handleOf(&receiver);
    }
    EXPECT_EQ(widgetOf(stale), nullptr);
    EXPECT_EQ(sendWindowMessage(stale, 2072), 0);
    EXPECT_EQ(sendWindowMessage(0, 2072), 0);
}

TEST(WindowMessageTest, CloseMessageClosesTheWidget)
{
    Receiver receiver;
    receiver.show();
    ASSERT_TRUE(receiver.isVisible());
    sendWindowMessage(handleOf(&receiver), kWmClose);
    EXPECT_FALSE(receiver.isVisible());
    EXPECT_TRUE(receiver.messages.isEmpty());
}

} // namespace
