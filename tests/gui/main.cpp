// The desktop program's tests run without a display: Qt's offscreen platform.
#include <gtest/gtest.h>
#include <QApplication>

namespace {

QtMessageHandler qt_default = nullptr;

// The offscreen platform cannot pass size hints to a window manager and says so each
// time a test shows a window; everything else Qt says is kept.
void quieter(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QStringLiteral("does not support propagateSizeHints"))) return;
    qt_default(type, context, text);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qt_default = qInstallMessageHandler(quieter);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("skywave-tests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
