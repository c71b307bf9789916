#include "app/CAboutDlg.h"

#include "app/CommandLine.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QStringLiteral("About Vespira"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon129"));
    icon->setPixmap(QIcon(QStringLiteral(":/icons/vespira.png")).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* product = new QLabel(QStringLiteral("ORMA Radiography for Windows NT"), this);
    product->setObjectName(QStringLiteral("text1053"));
    auto* version =
        new QLabel(QStringLiteral("Version: %1").arg(QLatin1String(kAboutVersion)), this);
    version->setObjectName(QStringLiteral("text1005"));
    auto* date = new QLabel(QStringLiteral("Date: %1").arg(QLatin1String(kAboutDate)), this);
    date->setObjectName(QStringLiteral("text1004"));

    auto* texts = new QGridLayout;
    texts->addWidget(product, 0, 0, 1, 2);
    texts->addWidget(version, 1, 0);
    texts->addWidget(date, 1, 1);
    texts->setHorizontalSpacing(16);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, Qt::Horizontal, this);
    buttons->setCenterButtons(true);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addStretch(1);
    layout->addSpacing(40);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
