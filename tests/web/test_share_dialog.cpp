#include "document/DocumentServices.h"
#include "document/IHostUi.h"
#include "web/CLiveViewSharing.h"
#include "web/dialogs/CShareLiveViewDlg.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>

#include <gtest/gtest.h>

namespace {

struct SharingFixture : ::testing::Test
{
    CStderrUi ui;
    DocumentServices state{ui};
    std::vector<LiveViewSettings> saved;
};

TEST_F(SharingFixture, OpeningTheDialogSharesOnTheLoopbackAddressWithACopyableAddress)
{
    CLiveViewSharing sharing(
        state.liveScan, [] { return std::vector<CVespiraDoc*>(); }, [] { return LiveViewLook(); },
        LiveViewSettings(), [this](const LiveViewSettings& s) { saved.push_back(s); });
    CShareLiveViewDlg dialog(sharing);
    ASSERT_TRUE(sharing.IsSharing());
    EXPECT_TRUE(dialog.ShareBox()->isChecked());
    const QString address = dialog.AddressEdit()->text();
    EXPECT_TRUE(
        address.startsWith(QStringLiteral("http://127.0.0.1:%1/").arg(sharing.Server().Port())))
        << address.toStdString();
    EXPECT_TRUE(dialog.AddressEdit()->isReadOnly());
    dialog.CopyButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), address);
    EXPECT_EQ(dialog.StatusLabel()->text(), "0 viewers are watching.");
    ASSERT_FALSE(saved.empty());
    EXPECT_TRUE(saved.back().share);
    EXPECT_EQ(saved.back().port, sharing.Server().Port());
    EXPECT_TRUE(saved.back().token.isEmpty()); // not kept unless asked

    // Other computers: all addresses, the same token and port.
    const QByteArray token = sharing.Server().Token();
    const quint16 port = sharing.Server().Port();
    dialog.AllowOthersBox()->setChecked(true);
    EXPECT_TRUE(sharing.Server().AllowsOthers());
    EXPECT_EQ(sharing.Server().Token(), token);
    EXPECT_EQ(sharing.Server().Port(), port);
    EXPECT_TRUE(saved.back().allowOthers);

    dialog.KeepAddressBox()->setChecked(true);
    EXPECT_EQ(saved.back().token, token);

    dialog.ShareBox()->setChecked(false);
    EXPECT_FALSE(sharing.IsSharing());
    EXPECT_TRUE(dialog.AddressEdit()->text().isEmpty());
    EXPECT_FALSE(dialog.CopyButton()->isEnabled());
    EXPECT_FALSE(saved.back().share);
}

TEST_F(SharingFixture, AKeptAddressComesBackAndATakenPortIsReported)
{
    LiveViewSettings kept;
    kept.keepAddress = true;
    kept.token = "0123456789abcdef0123456789abcdef";
    CLiveViewSharing sharing(
        state.liveScan, [] { return std::vector<CVespiraDoc*>(); }, [] { return LiveViewLook(); },
        kept, nullptr);
    QString error;
    ASSERT_TRUE(sharing.Share(error));
    EXPECT_EQ(sharing.Server().Token(), kept.token);

    // A port asked for on the command line that is taken: no server, the reason given.
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    CLiveViewSharing other(
        state.liveScan, [] { return std::vector<CVespiraDoc*>(); }, [] { return LiveViewLook(); },
        LiveViewSettings(), nullptr);
    EXPECT_FALSE(other.Share(error, taken.serverPort()));
    EXPECT_FALSE(other.IsSharing());
    EXPECT_FALSE(error.isEmpty());
    // The stored port taken: any free one instead.
    LiveViewSettings stored;
    stored.port = taken.serverPort();
    CLiveViewSharing fallback(
        state.liveScan, [] { return std::vector<CVespiraDoc*>(); }, [] { return LiveViewLook(); },
        stored, nullptr);
    EXPECT_TRUE(fallback.Share(error));
    EXPECT_NE(fallback.Server().Port(), taken.serverPort());
}

} // namespace
