#include "web/CLiveViewSharing.h"

CLiveViewSharing::CLiveViewSharing(CLiveScan& scan, CLiveViewServer::DocumentList documents,
                                   CLiveViewServer::LookSource look,
                                   const LiveViewSettings& settings, Save save, QObject* parent)
    : QObject(parent), m_server(scan, std::move(documents), std::move(look)), m_settings(settings),
      m_save(std::move(save))
{}

bool CLiveViewSharing::Listen(int port, QString& error)
{
    LiveViewOptions options;
    options.allowOthers = m_settings.allowOthers;
    // The address stays while the program runs, and between runs when it is kept.
    options.token = !m_server.Token().isEmpty()
                        ? m_server.Token()
                        : (m_settings.keepAddress ? m_settings.token : QByteArray());
    options.port = static_cast<quint16>(port);
    return m_server.Start(options, error);
}

bool CLiveViewSharing::Share(QString& error, int port)
{
    bool ok = false;
    if (port >= 0) {
        ok = Listen(port, error);
    } else {
        ok = Listen(m_settings.port, error);
        // The port kept from an earlier run may be taken by now: any free one then.
        if (!ok && m_settings.port != 0)
            ok = Listen(0, error);
    }
    if (ok) {
        m_settings.share = true;
        m_settings.port = m_server.Port();
        Store();
    }
    emit sharingChanged();
    return ok;
}

void CLiveViewSharing::StopSharing()
{
    m_server.Stop();
    m_settings.share = false;
    Store();
    emit sharingChanged();
}

bool CLiveViewSharing::SetAllowOthers(bool allow, QString& error)
{
    m_settings.allowOthers = allow;
    Store();
    if (!m_server.IsRunning())
        return true;
    const bool ok = Listen(m_server.Port(), error);
    if (!ok)
        m_settings.share = false;
    emit sharingChanged();
    return ok;
}

void CLiveViewSharing::SetKeepAddress(bool keep)
{
    m_settings.keepAddress = keep;
    Store();
}

void CLiveViewSharing::Store()
{
    m_settings.token =
        m_settings.keepAddress && !m_server.Token().isEmpty() ? m_server.Token() : m_settings.token;
    if (!m_settings.keepAddress)
        m_settings.token.clear();
    if (m_save)
        m_save(m_settings);
}
