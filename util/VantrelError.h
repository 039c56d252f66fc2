#pragma once

#include <QString>

#include <stdexcept>

// The error the program raises where a handler must stop and the general
// error handler shows the text to the user.
class VantrelError : public std::runtime_error
{
public:
    explicit VantrelError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    { }

    const QString &message() const { return m_message; }

private:
    QString m_message;
};
