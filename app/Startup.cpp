#include "Startup.h"

#include "base/Exceptions.h"
#include "ConvertError.h"
#include "Forms.h"
#include "MessageBoxes.h"
#include "SelDir.h"
#include "TesselAbout.h"
#include "TesselApplication.h"
#include "TesselIcon.h"
#include "TesselMain.h"
#include "TesselOptions.h"
#include "TesselPreview.h"
#include "text/PathPieces.h"

#include <QApplication>
#include <QFileInfo>

#include <memory>
#include <new>
#include <utility>

namespace tessel {

namespace {

// Builds one window into reference. The reference is set before the
// creation handler runs, as the other windows' handlers find it there; on
// a failure it is cleared again and the window released.
template <typename Form>
void CreateForm(Form*& reference, const FormHooks& hooks, void (Form::*creationHandler)() = nullptr)
{
    auto form = std::make_unique<Form>();
    reference = form.get();
    try {
        if (creationHandler)
            (form.get()->*creationHandler)();
        if (hooks.Created)
            hooks.Created(*form);
    } catch (...) {
        reference = nullptr;
        throw;
    }
    form.release();
}

// Only the main window's closing ends the program, also while the preview
// window is still open.
void KeepProgramRunningAfterClose(QWidget* form) { form->setAttribute(Qt::WA_QuitOnClose, false); }

template <typename Form>
void DestroyForm(Form*& reference, const FormHooks& hooks)
{
    Form* form = std::exchange(reference, nullptr);
    if (!form)
        return;
    if (hooks.Destroying)
        hooks.Destroying(*form);
    delete form;
}

QString ExceptionClassName()
{
    try {
        throw;
    } catch (const EOutOfMemory&) {
        return QStringLiteral("EOutOfMemory");
    } catch (const std::bad_alloc&) {
        return QStringLiteral("EOutOfMemory");
    } catch (const EInOutError&) {
        return QStringLiteral("EInOutError");
    } catch (const EPUDEx&) {
        return QStringLiteral("EPUDEx");
    } catch (const EConvertError&) {
        return QStringLiteral("EConvertError");
    } catch (const std::exception&) {
        return QStringLiteral("Exception");
    }
}

}  // namespace

void InitialiseApplication()
{
    QApplication::setWindowIcon(TesselIcon());
    // X11 groups windows by their class, which Qt takes from the
    // application name, and Wayland by the desktop file name: the task bar
    // shows the title or the name of the desktop entry of that name. A
    // display name would be appended to every window caption instead.
    QCoreApplication::setApplicationName(ApplicationTitle());
    QGuiApplication::setDesktopFileName(QFileInfo(QCoreApplication::applicationFilePath()).baseName());
}

void CreateForms(const FormHooks& hooks)
{
    CreateForm(TesselMainForm, hooks, &TTesselMainForm::FormCreate);
    CreateForm(TesselOptionsForm, hooks);
    KeepProgramRunningAfterClose(TesselOptionsForm);
    CreateForm(SelDirForm, hooks);
    KeepProgramRunningAfterClose(SelDirForm);
    CreateForm(TesselPreviewForm, hooks);
    KeepProgramRunningAfterClose(TesselPreviewForm);
    CreateForm(TesselAboutForm, hooks);
    KeepProgramRunningAfterClose(TesselAboutForm);
}

void DestroyForms(const FormHooks& hooks)
{
    for (QWidget* form : std::initializer_list<QWidget*>{TesselAboutForm, TesselPreviewForm, SelDirForm,
                                                         TesselOptionsForm, TesselMainForm})
        if (form)
            form->hide();
    DestroyForm(TesselAboutForm, hooks);
    DestroyForm(TesselPreviewForm, hooks);
    DestroyForm(SelDirForm, hooks);
    DestroyForm(TesselOptionsForm, hooks);
    DestroyForm(TesselMainForm, hooks);
}

QString StartupErrorText()
{
    const QString className = ExceptionClassName();
    QString message = CurrentExceptionMessage();
    if (!message.endsWith(QLatin1Char('.')))
        message += QLatin1Char('.');
    const QString module = QString::fromStdString(FileNamePart(QCoreApplication::applicationFilePath().toStdString()));
    return QStringLiteral("Exception %1 in module %2.\r%3").arg(className, module, message);
}

int RunTessel(const FormHooks& hooks)
{
    InitialiseApplication();
    try {
        CreateForms(hooks);
    } catch (const std::exception&) {
        ShowStopBox(QStringLiteral("Application Error"), StartupErrorText());
        DestroyForms(hooks);
        return 1;
    }
    TesselMainForm->show();
    QApplication::exec();
    DestroyForms(hooks);
    return 0;
}

}  // namespace tessel
