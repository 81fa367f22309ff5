#include "QtDialogPresenter.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>

#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"

namespace {

QString FromUtf16(const std::u16string& text) { return QString::fromUtf16(text.data(), qsizetype(text.size())); }

QString TakeCoTaskText(LPWSTR text) {
    const QString out = text ? QString::fromUtf16(text) : QString();
    CoTaskMemFree(text);
    return out;
}

QMessageBox::Icon IconOf(UINT type) {
    switch (type & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// Runs call on the GUI thread and returns its result.
template <class Call>
auto OnGuiThread(Call call) {
    if (!qApp || QThread::currentThread() == qApp->thread()) return call();
    decltype(call()) result{};
    QMetaObject::invokeMethod(qApp, [&] { result = call(); }, Qt::BlockingQueuedConnection);
    return result;
}

// One page of a property frame: its title and description as the page gives them for the
// frame's objects.
QWidget* PageWidget(REFCLSID page, const std::vector<IUnknown*>& objects, QString& title) {
    auto* widget = new QWidget;
    auto* layout = new QVBoxLayout(widget);
    ComPtr<IPropertyPage> instance;
    QString description;
    if (SUCCEEDED(CoCreateInstance(page, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, instance.PutVoid()))) {
        std::vector<IUnknown*> shown = objects;
        instance->SetObjects(ULONG(shown.size()), shown.data());
        PROPPAGEINFO info{};
        info.cb = sizeof(info);
        if (SUCCEEDED(instance->GetPageInfo(&info))) {
            title = TakeCoTaskText(info.pszTitle);
            description = TakeCoTaskText(info.pszDocString);
            CoTaskMemFree(info.pszHelpFile);
        }
        instance->SetObjects(0, nullptr);
    }
    if (title.isEmpty()) title = QString::fromStdString(GuidToString(page));
    auto* text = new QLabel(description.isEmpty() ? title : description, widget);
    text->setWordWrap(true);
    layout->addWidget(text);
    layout->addStretch();
    return widget;
}

}  // namespace

void QtDialogPresenter::Install(QtDialogPresenter* presenter) { orvo::window::InstallDialogPresenter(presenter); }

int QtDialogPresenter::ShowMessage(HWND, const std::u16string& text, const std::u16string& caption, UINT type) {
    const QString body = FromUtf16(text), title = FromUtf16(caption);
    return OnGuiThread([&] { return Message(body, title, type); });
}

HRESULT QtDialogPresenter::ShowPropertyFrame(const orvo::window::PropertyFrameRequest& request) {
    return OnGuiThread([&] { return PropertyFrame(request); });
}

int QtDialogPresenter::Message(const QString& text, const QString& caption, UINT type) {
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case MB_YESNO: buttons = QMessageBox::Yes | QMessageBox::No; break;
    default: break;
    }
    QMessageBox box(IconOf(type), caption, text, buttons, m_owner);
    switch (box.exec()) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Cancel: return IDCANCEL;
    default: return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : (type & MB_TYPEMASK) == MB_OKCANCEL ? IDCANCEL : IDOK;
    }
}

HRESULT QtDialogPresenter::PropertyFrame(const orvo::window::PropertyFrameRequest& request) {
    QDialog frame(m_owner);
    frame.setObjectName("PropertyFrame");
    frame.setWindowTitle(request.caption.empty() ? QString("Properties") : FromUtf16(request.caption));
    auto* layout = new QVBoxLayout(&frame);
    auto* pages = new QTabWidget(&frame);
    for (const CLSID& page : request.pages) {
        QString title;
        QWidget* widget = PageWidget(page, request.objects, title);
        pages->addTab(widget, title);
    }
    layout->addWidget(pages);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &frame);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &frame, &QDialog::accept);
    layout->addWidget(buttons);
    frame.exec();
    return S_OK;
}
