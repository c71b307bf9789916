#pragma once

#include "web/CScanRateMeter.h"
#include "web/LiveViewLimits.h"
#include "web/LiveViewMessages.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CLiveConnection;
class CLiveScan;
class CVespiraDoc;
struct ViewerRequest;

// How the live view is shared: kept in the settings.
struct LiveViewOptions
{
    quint16 port = 0;         // 0: any free port
    bool allowOthers = false; // all addresses instead of the loopback address only
    QByteArray token;         // empty: a new one
};

// The read-only live view in a web browser: a small HTTP server with fixed routes (the
// page, its script and style from the program's resources) and one WebSocket per viewer.
// A viewer gets the colour table, the range and every cell of its pattern once, then
// only the cells that changed, a few times a second. Runs in the GUI thread without ever
// waiting on a socket: a viewer that cannot keep up gets a full refresh when it has
// caught up, or is dropped.
class CLiveViewServer : public QObject
{
    Q_OBJECT

public:
    using DocumentList = std::function<std::vector<CVespiraDoc*>()>;
    using LookSource = std::function<LiveViewLook()>;

    CLiveViewServer(CLiveScan& scan, DocumentList documents, LookSource look,
                    QObject* parent = nullptr);
    ~CLiveViewServer() override;

    void SetLimits(const LiveViewLimits& limits) { m_limits = limits; }

    // Listens; false with the reason in error (the port is taken, ...).
    bool Start(const LiveViewOptions& options, QString& error);
    void Stop();
    bool IsRunning() const { return m_server.isListening(); }

    quint16 Port() const { return m_server.serverPort(); }
    QByteArray Token() const { return m_token; }
    bool AllowsOthers() const { return m_bAllowOthers; }
    // The page's address, token included: on this computer's network address when other
    // computers are allowed, else on the loopback address.
    QString Address() const;
    int ViewerCount() const;

signals:
    void viewersChanged(int count);

private:
    struct Watched;
    void OnNewConnection();
    void OnViewerOpened(CLiveConnection* viewer);
    void OnViewerRequest(CLiveConnection* viewer, const ViewerRequest& request);
    void OnConnectionFinished(CLiveConnection* connection);
    void OnCellChanged(Watched& watched, int col, int row);
    void Tick();
    void SyncDocuments();
    Watched* Find(int id) const;
    // The pattern a viewer shows: its choice while open, else the scan's, else the one
    // it showed, else the first open one.
    Watched* ShownBy(const CLiveConnection& viewer) const;
    LiveProgress ProgressOf(const Watched& watched) const;
    void SendFull(CLiveConnection& viewer, Watched* watched);
    void Send(CLiveConnection& viewer, const QByteArray& message, bool binary);
    void UpdateTimer();

    CLiveScan& m_scan;
    DocumentList m_documents;
    LookSource m_look;
    LiveViewLimits m_limits;
    QTcpServer m_server;
    QByteArray m_token;
    bool m_bAllowOthers = false;
    QByteArray m_page, m_script, m_style;
    std::vector<CLiveConnection*> m_connections;
    std::map<int, std::unique_ptr<Watched>> m_watched;
    int m_nextId = 1;
    QByteArray m_patternsKey;
    LiveViewLook m_lastLook;
    QTimer m_timer;
    QElapsedTimer m_clock;
    CScanRateMeter m_rate;
    const CVespiraDoc* m_rateDoc = nullptr;
};
