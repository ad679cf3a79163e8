#pragma once

#include "drill/drillform.h"

class QPushButton;

namespace kemoro {

// MainFrm2: the timed task of even levels 2..20. The pupil does the task away
// from the screen while the clock runs and presses the one button when done.
class TimedTaskScreen final : public DrillForm
{
    Q_OBJECT
public:
    explicit TimedTaskScreen(AppContext &context, QWidget *parent = nullptr);

protected:
    void makeQuestion() override;

private:
    QPushButton *m_done; // Command1
};

} // namespace kemoro
