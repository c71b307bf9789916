#pragma once

#include "web/CLiveViewServer.h"
#include "web/LiveViewSettings.h"

#include <QObject>

#include <functional>

// Sharing the live view as the user chose it: starts and stops the server, keeps the
// address while the choices change, and hands every change to the settings.
class CLiveViewSharing : public QObject
{
    Q_OBJECT

public:
    using Save = std::function<void(const LiveViewSettings&)>;

    CLiveViewSharing(CLiveScan& scan, CLiveViewServer::DocumentList documents,
                     CLiveViewServer::LookSource look, const LiveViewSettings& settings, Save save,
                     QObject* parent = nullptr);

    // Starts sharing on port (-1: the port of the settings, or any free one when that is
    // taken); false with the reason in error.
    bool Share(QString& error, int port = -1);
    void StopSharing();
    // Listens anew on the same port, with the same address, on all addresses or on the
    // loopback address only.
    bool SetAllowOthers(bool allow, QString& error);
    void SetKeepAddress(bool keep);

    bool IsSharing() const { return m_server.IsRunning(); }
    const LiveViewSettings& Settings() const { return m_settings; }
    CLiveViewServer& Server() { return m_server; }

signals:
    void sharingChanged();

private:
    bool Listen(int port, QString& error);
    void Store();

    CLiveViewServer m_server;
    LiveViewSettings m_settings;
    Save m_save;
};
