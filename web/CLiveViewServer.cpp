#include "web/CLiveViewServer.h"

#include "document/CLiveScan.h"
#include "document/CVespiraDoc.h"
#include "document/PatternRange.h"
#include "web/CLiveConnection.h"
#include "web/LiveRoutes.h"

#include <QDateTime>
#include <QFile>
#include <QNetworkInterface>
#include <QTcpSocket>

#include <algorithm>

namespace {

QByteArray Resource(const char* name)
{
    QFile file(QStringLiteral(":/web/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

long long NowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// The first address of this computer that others can reach, else the loopback one.
QString NetworkAddress()
{
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback() && !a.isLinkLocal())
            return a.toString();
    return QStringLiteral("127.0.0.1");
}

} // namespace

static void InitLiveViewResources()
{
    Q_INIT_RESOURCE(liveview);
}

// One open pattern as the server follows it: the cells changed since the last update,
// what was seen of it at the last update, and the messages of this update, made once for
// all its viewers.
struct CLiveViewServer::Watched
{
    int id = 0;
    QPointer<CVespiraDoc> doc;
    QMetaObject::Connection cells;
    std::vector<std::uint32_t> dirty;
    long long oldestMs = 0;
    bool overflow = false;

    struct Seen
    {
        int nx = -1, ny = -1;
        const void* data = nullptr;
        float xBeg = 0, xInc = 0, yBeg = 0, yEnd = 0, yInc = 0;
        QString title;
        ColourTable colours{};
        DrawnRange range;
        unsigned generation = 0;
        bool operator==(const Seen&) const = default;
    };
    Seen seen;
    LiveProgress progress;

    // This update's.
    bool reset = false;
    bool titleChanged = false;
    bool coloursChanged = false;
    bool targetsChanged = false;
    bool progressChanged = false;
    QByteArray delta;
    QByteArray colours;
    QByteArray targets;
    std::vector<std::pair<QByteArray, bool>> full;

    ~Watched() { QObject::disconnect(cells); }

    static Seen SeenOf(const CVespiraDoc& d)
    {
        return {d.m_nXPoints,      d.m_nYPoints,    d.m_pIntensity.data(),
                d.m_fXBeg,         d.m_fXInc,       d.m_fYBeg,
                d.m_fYEnd,         d.m_fYInc,       d.GetTitle(),
                d.m_DisplayColors, DrawnRangeOf(d), d.SelectionGeneration()};
    }
};

CLiveViewServer::CLiveViewServer(CLiveScan& scan, DocumentList documents, LookSource look,
                                 QObject* parent)
    : QObject(parent), m_scan(scan), m_documents(std::move(documents)), m_look(std::move(look))
{
    InitLiveViewResources();
    m_server.setMaxPendingConnections(m_limits.maxPending);
    connect(&m_server, &QTcpServer::newConnection, this, &CLiveViewServer::OnNewConnection);
    connect(&m_timer, &QTimer::timeout, this, &CLiveViewServer::Tick);
    m_clock.start();
}

CLiveViewServer::~CLiveViewServer()
{
    Stop();
}

bool CLiveViewServer::Start(const LiveViewOptions& options, QString& error)
{
    Stop();
    m_page = Resource("index.html");
    m_script = Resource("live.js");
    m_style = Resource("live.css");
    if (m_page.isEmpty() || m_script.isEmpty() || m_style.isEmpty()) {
        error = QStringLiteral("The live view's page is missing from the program.");
        return false;
    }
    m_token = IsValidLiveToken(options.token) ? options.token : NewLiveToken();
    m_bAllowOthers = options.allowOthers;
    const QHostAddress address = m_bAllowOthers ? QHostAddress::Any : QHostAddress::LocalHost;
    if (!m_server.listen(address, options.port)) {
        error = m_server.errorString();
        return false;
    }
    return true;
}

void CLiveViewServer::Stop()
{
    m_server.close();
    const std::vector<CLiveConnection*> connections = std::move(m_connections);
    m_connections.clear();
    for (CLiveConnection* c : connections) {
        disconnect(c, nullptr, this, nullptr);
        c->deleteLater();
        c->CloseViewer(1001);
    }
    m_watched.clear();
    m_timer.stop();
    m_rateDoc = nullptr;
    m_rate.Reset();
    if (!connections.empty())
        emit viewersChanged(0);
}

QString CLiveViewServer::Address() const
{
    if (!IsRunning())
        return QString();
    const QString host = m_bAllowOthers ? NetworkAddress() : QStringLiteral("127.0.0.1");
    return QStringLiteral("http://%1:%2/%3/")
        .arg(host)
        .arg(Port())
        .arg(QString::fromLatin1(m_token));
}

int CLiveViewServer::ViewerCount() const
{
    return static_cast<int>(std::count_if(m_connections.begin(), m_connections.end(),
                                          [](const CLiveConnection* c) { return c->IsViewer(); }));
}

void CLiveViewServer::OnNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        const int pending = static_cast<int>(m_connections.size()) - ViewerCount();
        if (pending >= m_limits.maxPending) {
            // More half-open requests than any browser makes: the newest goes at once.
            socket->abort();
            socket->deleteLater();
            continue;
        }
        CLiveConnection::Routes routes{m_token, m_page, m_script, m_style,
                                       [this] { return ViewerCount() < m_limits.maxViewers; }};
        auto* connection = new CLiveConnection(socket, routes, m_limits, this);
        m_connections.push_back(connection);
        connect(connection, &CLiveConnection::viewerOpened, this, &CLiveViewServer::OnViewerOpened);
        connect(connection, &CLiveConnection::viewerRequest, this,
                &CLiveViewServer::OnViewerRequest);
        connect(connection, &CLiveConnection::closed, this,
                [this](CLiveConnection*) { emit viewersChanged(ViewerCount()); });
        connect(connection, &CLiveConnection::finished, this,
                &CLiveViewServer::OnConnectionFinished);
    }
}

void CLiveViewServer::OnViewerOpened(CLiveConnection* viewer)
{
    viewer->needsFull = true;
    SyncDocuments();
    UpdateTimer();
    emit viewersChanged(ViewerCount());
    // The first picture goes out at once, not at the next update.
    QMetaObject::invokeMethod(this, &CLiveViewServer::Tick, Qt::QueuedConnection);
}

void CLiveViewServer::OnViewerRequest(CLiveConnection* viewer, const ViewerRequest& request)
{
    if (request.kind == ViewerRequest::Kind::Invalid)
        return;
    viewer->wantedId = request.kind == ViewerRequest::Kind::Show ? request.patternId : 0;
    std::vector<LivePatternEntry> list;
    for (const auto& [id, w] : m_watched)
        if (w->doc)
            list.push_back({id, w->doc->GetTitle(), m_scan.IsActive(w->doc)});
    Send(*viewer, LiveMessage::Patterns(list, viewer->wantedId), false);
    QMetaObject::invokeMethod(this, &CLiveViewServer::Tick, Qt::QueuedConnection);
}

void CLiveViewServer::OnConnectionFinished(CLiveConnection* connection)
{
    std::erase(m_connections, connection);
    UpdateTimer();
}

void CLiveViewServer::UpdateTimer()
{
    if (ViewerCount() == 0) {
        m_timer.stop();
        for (auto& [id, w] : m_watched) {
            w->dirty.clear();
            w->dirty.shrink_to_fit();
        }
    } else if (!m_timer.isActive()) {
        m_timer.start(m_limits.updateIntervalMs);
    }
}

void CLiveViewServer::OnCellChanged(Watched& w, int col, int row)
{
    if (w.overflow || !w.doc || !w.doc->IsInGrid(col, row) || !m_timer.isActive())
        return;
    if (w.dirty.empty())
        w.oldestMs = NowMs();
    // More changes than cells: the viewers get every cell instead.
    if (w.dirty.size() >= static_cast<std::size_t>(w.doc->PointCount())) {
        w.overflow = true;
        w.dirty.clear();
        return;
    }
    w.dirty.push_back(static_cast<std::uint32_t>(w.doc->IndexOf(col, row)));
}

void CLiveViewServer::SyncDocuments()
{
    std::vector<CVespiraDoc*> docs = m_documents ? m_documents() : std::vector<CVespiraDoc*>();
    for (auto it = m_watched.begin(); it != m_watched.end();) {
        if (!it->second->doc ||
            std::find(docs.begin(), docs.end(), it->second->doc.data()) == docs.end())
            it = m_watched.erase(it);
        else
            ++it;
    }
    for (CVespiraDoc* doc : docs) {
        const bool known = std::any_of(m_watched.begin(), m_watched.end(),
                                       [doc](const auto& e) { return e.second->doc == doc; });
        if (known || doc == nullptr)
            continue;
        auto w = std::make_unique<Watched>();
        w->id = m_nextId++;
        w->doc = doc;
        Watched* raw = w.get();
        w->cells = connect(doc, &CVespiraDoc::cellChanged, this,
                           [this, raw](int col, int row) { OnCellChanged(*raw, col, row); });
        m_watched.emplace(w->id, std::move(w));
    }
}

CLiveViewServer::Watched* CLiveViewServer::Find(int id) const
{
    const auto it = m_watched.find(id);
    return it != m_watched.end() && it->second->doc ? it->second.get() : nullptr;
}

CLiveViewServer::Watched* CLiveViewServer::ShownBy(const CLiveConnection& viewer) const
{
    if (viewer.wantedId != 0)
        if (Watched* w = Find(viewer.wantedId))
            return w;
    for (const auto& [id, w] : m_watched)
        if (w->doc && m_scan.IsActive(w->doc))
            return w.get();
    if (Watched* w = Find(viewer.shownId))
        return w;
    return m_watched.empty() ? nullptr : m_watched.begin()->second.get();
}

LiveProgress CLiveViewServer::ProgressOf(const Watched& w) const
{
    LiveProgress p;
    if (!w.doc || !m_scan.IsActive(w.doc))
        return p;
    p.live = true;
    p.total = std::max(w.doc->PointCount(), 0);
    const long long remaining = std::clamp<long long>(m_scan.PointsRemaining(), 0, p.total);
    p.received = p.total - remaining;
    p.rate = m_rate.Rate();
    p.endMsecs = m_rate.EndMs(remaining);
    const CollectMarker marker = m_scan.MarkerIn(*w.doc);
    p.marker = marker.on;
    if (marker.on) {
        p.markerCol = marker.col;
        p.markerRow = marker.row;
    }
    return p;
}

void CLiveViewServer::Send(CLiveConnection& viewer, const QByteArray& message, bool binary)
{
    if (binary)
        viewer.SendBinary(message);
    else
        viewer.SendText(message);
}

void CLiveViewServer::SendFull(CLiveConnection& viewer, Watched* w)
{
    viewer.needsFull = false;
    if (w == nullptr) {
        if (viewer.shownId != 0)
            Send(viewer, LiveMessage::NoPattern(), false);
        viewer.shownId = 0;
        return;
    }
    if (w->full.empty()) {
        const LiveViewLook look = m_look ? m_look() : LiveViewLook();
        w->full = {{LiveMessage::Pattern(w->id, *w->doc, look.orientation), false},
                   {LiveMessage::Colours(*w->doc, look), false},
                   {LiveMessage::Targets(w->id, *w->doc), true},
                   {LiveMessage::AllCells(w->id, *w->doc, NowMs()), true},
                   {LiveMessage::Progress(w->progress), false}};
    }
    for (const auto& [message, binary] : w->full)
        Send(viewer, message, binary);
    viewer.shownId = w->id;
}

void CLiveViewServer::Tick()
{
    if (!IsRunning())
        return;
    const long long now = NowMs();
    SyncDocuments();

    std::vector<LivePatternEntry> list;
    for (const auto& [id, w] : m_watched)
        list.push_back({id, w->doc->GetTitle(), m_scan.IsActive(w->doc)});
    QByteArray patternsKey = LiveMessage::Patterns(list, 0);
    const bool patternsChanged = patternsKey != m_patternsKey;
    m_patternsKey = std::move(patternsKey);

    const LiveViewLook look = m_look ? m_look() : LiveViewLook();
    const bool lookChanged = look != m_lastLook;
    const bool orientationChanged = look.orientation != m_lastLook.orientation;
    m_lastLook = look;

    const CVespiraDoc* live = m_scan.Document();
    if (live != m_rateDoc) {
        m_rate.Reset();
        m_rateDoc = live;
    }
    if (live != nullptr) {
        const long long total = std::max(live->PointCount(), 0);
        m_rate.Sample(now, total - std::clamp<long long>(m_scan.PointsRemaining(), 0, total));
    }

    for (auto& [id, w] : m_watched) {
        const Watched::Seen seen = Watched::SeenOf(*w->doc);
        w->reset =
            w->overflow || orientationChanged || seen.nx != w->seen.nx || seen.ny != w->seen.ny ||
            seen.data != w->seen.data || seen.xBeg != w->seen.xBeg || seen.xInc != w->seen.xInc ||
            seen.yBeg != w->seen.yBeg || seen.yEnd != w->seen.yEnd || seen.yInc != w->seen.yInc;
        // The title changes with every point of a scan ("Collecting: ..."): it goes alone.
        w->titleChanged = seen.title != w->seen.title;
        w->coloursChanged =
            lookChanged || seen.colours != w->seen.colours || seen.range != w->seen.range;
        w->targetsChanged = seen.generation != w->seen.generation;
        w->seen = seen;
        const LiveProgress progress = ProgressOf(*w);
        w->progressChanged = progress != w->progress;
        w->progress = progress;
        w->delta.clear();
        if (!w->dirty.empty() && !w->reset) {
            std::sort(w->dirty.begin(), w->dirty.end());
            w->dirty.erase(std::unique(w->dirty.begin(), w->dirty.end()), w->dirty.end());
            w->delta = LiveMessage::Cells(id, *w->doc, w->dirty, w->oldestMs);
        }
    }

    for (CLiveConnection* viewer : std::vector<CLiveConnection*>(m_connections)) {
        if (!viewer->IsViewer() || !viewer->KeepAlive())
            continue;
        const qint64 buffered = viewer->Buffered();
        if (buffered > m_limits.sendBufferLimit) {
            if (viewer->overLimitSinceMs < 0)
                viewer->overLimitSinceMs = m_clock.elapsed();
            viewer->needsFull = true;
            if (m_clock.elapsed() - viewer->overLimitSinceMs > m_limits.slowViewerTimeoutMs)
                viewer->CloseViewer(1008);
            continue;
        }
        viewer->overLimitSinceMs = -1;
        if (patternsChanged || viewer->needsFull)
            Send(*viewer, LiveMessage::Patterns(list, viewer->wantedId), false);
        Watched* w = ShownBy(*viewer);
        if (w == nullptr || viewer->needsFull || viewer->shownId != w->id || w->reset) {
            SendFull(*viewer, w);
            continue;
        }
        if (w->titleChanged)
            Send(*viewer, LiveMessage::Title(w->id, w->seen.title), false);
        if (w->coloursChanged) {
            if (w->colours.isEmpty())
                w->colours = LiveMessage::Colours(*w->doc, look);
            Send(*viewer, w->colours, false);
        }
        if (w->targetsChanged) {
            if (w->targets.isEmpty())
                w->targets = LiveMessage::Targets(w->id, *w->doc);
            Send(*viewer, w->targets, true);
        }
        if (!w->delta.isEmpty()) {
            if (buffered + w->delta.size() > m_limits.sendBufferLimit) {
                viewer->needsFull = true;
                continue;
            }
            Send(*viewer, w->delta, true);
        }
        if (w->progressChanged)
            Send(*viewer, LiveMessage::Progress(w->progress), false);
    }

    for (auto& [id, w] : m_watched) {
        w->dirty.clear();
        w->overflow = false;
        w->full.clear();
        w->colours.clear();
        w->targets.clear();
    }
}
