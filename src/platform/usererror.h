#pragma once

#include <QString>

#include <exception>

namespace sorvant {

// An error a command reports to the user: the main window's error display
// shows its text. Writers and importers throw it; they never show UI.
class UserError : public std::exception
{
public:
    explicit UserError(QString text) : m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}
    const QString &text() const noexcept { return m_text; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

} // namespace sorvant
