#include "tests/support/shown_boxes.h"

namespace velk::test {

ShownBoxes::ShownBoxes(std::function<bool()> mainWindowClosing)
    : mainWindowClosing_(std::move(mainWindowClosing)), previous_(SetMessageBoxSeam({&ShownBoxes::Answer, this}))
{
}

ShownBoxes::~ShownBoxes() { SetMessageBoxSeam(previous_); }

int ShownBoxes::Answer(const MessageBoxRequest& request, void* context)
{
    auto* self = static_cast<ShownBoxes*>(context);
    self->push_back({request.text, request.caption, request.type, request.detail, request.owner,
                     self->mainWindowClosing_ && self->mainWindowClosing_()});
    return IDOK;
}

std::ostream& operator<<(std::ostream& out, const ShownBoxes& boxes)
{
    for (const ShownBox& box : boxes) out << box.text << " " << box.detail << "\n";
    return out;
}

}  // namespace velk::test
