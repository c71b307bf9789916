#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QWebSocket>

#include <map>

// Headless Chromium driven over its DevTools protocol: opens a page, evaluates script in
// it and sends it pointer events.
class CDevTools
{
public:
    ~CDevTools();

    // The browser's path, or empty when none is installed.
    static QString FindBrowser();

    // Starts the browser on url; false with the reason in error.
    bool Open(const QString& url, QString& error);
    // The value of a script expression (returned by value), or an undefined value after
    // the time-out.
    QJsonValue Evaluate(const QString& expression, int timeoutMs = 5000);
    // Waits until the expression is true.
    bool WaitFor(const QString& expression, int timeoutMs);
    // A pointer move to viewport coordinates.
    bool MovePointer(double x, double y);
    // A PNG of the page.
    QByteArray Screenshot();

private:
    QJsonObject Call(const QString& method, const QJsonObject& params, int timeoutMs = 5000);

    QTemporaryDir m_profile;
    QProcess m_browser;
    QWebSocket m_socket;
    int m_nextId = 1;
    std::map<int, QJsonObject> m_replies;
};
