// The About box: template 100, nothing of its own to exchange.
#pragma once

#include "platform/window.h"

namespace velk {

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

}  // namespace velk
