#pragma once

// Qt's own texts (standard buttons, file dialogs, the overwrite question) in
// Chinese like the rest of the window, whatever the system's locale. False
// when the translations are not installed; the program then still runs.
bool installChineseTranslations();
