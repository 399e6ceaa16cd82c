// Must not compile in a layer below the window: it reaches for a widget
// through the module-prefixed path that a plain include path would allow.
#include <QtWidgets/QWidget>

int probe()
{
    return sizeof(QWidget);
}
