// The console program: one window, "Ombrix-Z200".
#include <QApplication>

#include "console/form1.h"
#include "console/form1_skin.h"
#include "platform/process_heap.h"

int main(int argc, char** argv) {
    platform::KeepLargeBlocksInHeap();
    QApplication app(argc, argv);
    QApplication::setApplicationName("");
    console::Tform1 form1;
    form1.LoadSkinData(console::Form1SkinPackage());
    form1.show();
    return QApplication::exec();
}
