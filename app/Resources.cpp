#include "app/Resources.h"

#include <QDir>
#include <QtCore/qglobal.h>

static void InitResourcesOnce()
{
    Q_INIT_RESOURCE(vespira);
}

void InitVespiraResources()
{
    static const bool done = (InitResourcesOnce(), true);
    (void)done;
}
