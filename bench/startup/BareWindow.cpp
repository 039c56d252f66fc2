// The floor for start-up: a Qt window of the main window's shape with nothing
// behind it (no libraries bound, no settings read).
#include <QApplication>
#include <QGroupBox>
#include <QMainWindow>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTreeWidget>
#include <QVBoxLayout>

int main(int argc, char **argv)
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.menuBar()->addMenu(QStringLiteral("File"));
    window.menuBar()->addMenu(QStringLiteral("Options"));
    window.menuBar()->addMenu(QStringLiteral("Help"));
    auto *splitter = new QSplitter(&window);
    splitter->addWidget(new QGroupBox(QStringLiteral(" Browser: ")));
    auto *right = new QWidget;
    auto *layout = new QVBoxLayout(right);
    layout->addWidget(new QGroupBox(QStringLiteral(" Open file in application: ")));
    auto *details = new QGroupBox(QStringLiteral(" Selected audio file's details: "));
    auto *detailsLayout = new QVBoxLayout(details);
    auto *tree = new QTreeWidget;
    tree->setHeaderLabels({ QStringLiteral("Attribute name"), QStringLiteral("Value") });
    detailsLayout->addWidget(tree);
    layout->addWidget(details, 1);
    layout->addWidget(new QGroupBox(QStringLiteral(" Options: ")));
    splitter->addWidget(right);
    window.setCentralWidget(splitter);
    window.statusBar()->showMessage(QStringLiteral(" "));
    window.resize(1572, 728);
    window.showMaximized();
    return app.exec();
}
