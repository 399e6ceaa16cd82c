#include "window/resources.h"

#include <QtCore/qglobal.h>

void initWindowResources()
{
    Q_INIT_RESOURCE(zqtemp);
}
