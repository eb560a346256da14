// Message boxes answered instead of shown: every box the program asks for
// while a ShownBoxes lives is answered with IDOK and recorded here.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/window.h"

namespace velk::test {

struct ShownBox {
    std::string text;
    std::string caption;
    UINT type = 0;
    std::string detail;
    QWidget* owner = nullptr;
    bool mainWindowClosing = false;  // what the recorder's question answered when the box came
};

// A vector of the boxes so far, which a test reads and clears like any other.
class ShownBoxes : public std::vector<ShownBox> {
public:
    // `mainWindowClosing`, if given, is asked as each box comes whether the
    // main window's modal run has ended.
    explicit ShownBoxes(std::function<bool()> mainWindowClosing = {});
    ~ShownBoxes();
    ShownBoxes(const ShownBoxes&) = delete;
    ShownBoxes& operator=(const ShownBoxes&) = delete;

private:
    static int Answer(const MessageBoxRequest& request, void* context);

    std::function<bool()> mainWindowClosing_;
    MessageBoxSeam previous_;
};

// One line per box, text and detail, for failure messages.
std::ostream& operator<<(std::ostream& out, const ShownBoxes& boxes);

}  // namespace velk::test
