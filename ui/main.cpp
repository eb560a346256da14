#include "ui/app.h"

namespace {
velk::CSensorApp theApp;
}

int main(int argc, char** argv) { return velk::AfxWinMain(argc, argv); }
