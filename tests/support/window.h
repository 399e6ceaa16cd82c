#pragma once

#include "link/commport.h"
#include "link/instrument.h"
#include "link/onlinepoll.h"
#include "link/porterrors.h"
#include "support/page.h"
#include "support/records.h"
#include "window/analysiswindow.h"
#include "window/archivewindow.h"
#include "window/dialogs.h"
#include "window/downloads.h"
#include "window/form1.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

// Answers the window's questions from a script and remembers what was asked.
struct ScriptedDialogs : UserDialogs
{
    struct Shown
    {
        QString text, title;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton defaultButton;
    };
    QList<QMessageBox::StandardButton> answers; // in turn; none left: the default button
    QStringList paths; // in turn; none left: cancel
    QString pickFilter;
    QList<Shown> shown;
    QStringList offeredNames;
    QList<QStringList> offeredFilters;

    std::function<void()> whileAsking; // runs while a box is open, as the event loop would

    QMessageBox::StandardButton message(const QString &text, const QString &title, QMessageBox::StandardButtons,
        QMessageBox::Icon icon, QMessageBox::StandardButton def) override
    {
        shown.append({text, title, icon, def});
        if (whileAsking)
            whileAsking();
        return answers.isEmpty() ? def : answers.takeFirst();
    }
    QString openFile(const QString &, const QString &name, const QStringList &filters) override
    {
        return saveFile({}, name, filters, nullptr);
    }
    QString saveFile(const QString &, const QString &name, const QStringList &filters, QString *selected) override
    {
        offeredNames.append(name);
        offeredFilters.append(filters);
        if (selected && !pickFilter.isEmpty())
            *selected = pickFilter;
        return paths.isEmpty() ? QString() : paths.takeFirst();
    }
    QStringList texts; // in turn; none left: cancel
    QString askText(const QString &, const QString &label) override
    {
        shown.append({label, QString(), QMessageBox::NoIcon, QMessageBox::NoButton});
        return texts.isEmpty() ? QString() : texts.takeFirst();
    }
    QList<SignatureAnswer> signatures; // in turn; none left: cancel
    std::optional<SignatureAnswer> askSignature(const QString &title, bool) override
    {
        shown.append({title, title, QMessageBox::NoIcon, QMessageBox::NoButton});
        return signatures.isEmpty() ? std::nullopt : std::optional(signatures.takeFirst());
    }
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
};

// A window whose questions the test answers.
struct TestWindow
{
    std::unique_ptr<Form1> form = std::make_unique<Form1>();
    ScriptedDialogs *dialogs = new ScriptedDialogs;
    QTemporaryDir settings;
    TestWindow()
    {
        form->setDialogs(std::unique_ptr<UserDialogs>(dialogs));
        form->useSettingsFile(settings.filePath("zqtemp.ini"));
        form->setArchivePath(settings.filePath("archive.sqlite"));
    }
    explicit TestWindow(const QString &device)
        : TestWindow()
    {
        form->setPortDevices(device, device);
    }
    Form1 *operator->() { return form.get(); }
    // A record in the window, as a download or OPEN would show it.
    void show(const zq::Record &record, const QString &style = QString()) { form->showRecord(record, style); }
};

// A right-click on a button, as the window system delivers it; the menu it opened.
inline QMenu *rightClick(QWidget *button)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), button->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(button, &event);
    return button->findChild<QMenu *>();
}

// The value beside a label in 工艺分析's figures, or empty when there is none.
inline QString figure(AnalysisWindow *w, const QString &label)
{
    for (int r = 0; r < w->figures->rowCount(); ++r)
        if (w->figures->item(r, 0)->text() == label)
            return w->figures->item(r, 1)->text();
    return QString();
}

// An entry of the chart's right-click menu (or a submenu of it) chosen; whether it was offered.
inline bool chartAction(TestWindow &w, const QString &text)
{
    rightClick(ui(w).chartBox);
    const QList<QMenu *> menus = ui(w).chartBox->findChildren<QMenu *>();
    QAction *found = nullptr;
    for (QMenu *within : menus)
        for (QAction *a : within->actions())
            found = a->text() == text ? a : found;
    if (found)
        found->trigger();
    for (QMenu *m : menus)
        m->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return found != nullptr;
}

// The archive window's runs, every row fetched.
inline QSqlQueryModel *runModel(ArchiveWindow *a)
{
    auto *m = qobject_cast<QSqlQueryModel *>(a->table->model());
    while (m->canFetchMore())
        m->fetchMore();
    return m;
}

// A run's row in the archive window, or -1.
inline int runRow(ArchiveWindow *a, const QString &sha)
{
    for (int r = 0; r < runModel(a)->rowCount(); ++r)
        if (runModel(a)->index(r, 0).data().toString() == sha)
            return r;
    return -1;
}

// The middle of a run's cell in the archive window, where a person clicks.
inline QPoint runCell(ArchiveWindow *a, const QString &sha, int column)
{
    return a->table->visualRect(runModel(a)->index(runRow(a, sha), column)).center();
}
