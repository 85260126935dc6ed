// The test form of the framework's Windows-layer tests.
#include "tests/framework/vcl/VclTestSupport.h"

namespace VclTest {

void TVclTestForm::Loaded() {
    inherited::Loaded();
    Log.push_back("loaded");
}

void TVclTestForm::FormCreate(System::TObject* Sender) {
    Log.push_back(Sender == this ? "create" : "create from another sender");
}

void TVclTestForm::FormShow(System::TObject* Sender) {
    Log.push_back(Sender == this && GetHandle() != nullptr && !IsWindowVisible(GetHandle()) ? "show"
                                                                                            : "show?");
}

void TVclTestForm::TickTimerTimer(System::TObject* Sender) {
    Log.push_back(Sender == TickTimer ? "tick" : "tick?");
    if (OnTick) OnTick();
}

PUBLISHED(TVclTestForm, "VclTest", PUBLISHED_FIELD(TVclTestForm, Bevel1),
          PUBLISHED_FIELD(TVclTestForm, Label1), PUBLISHED_FIELD(TVclTestForm, PatternName),
          PUBLISHED_FIELD(TVclTestForm, Label3), PUBLISHED_FIELD(TVclTestForm, ProgressBar),
          PUBLISHED_FIELD(TVclTestForm, TickTimer), PUBLISHED_METHOD(TVclTestForm, FormCreate),
          PUBLISHED_METHOD(TVclTestForm, FormShow), PUBLISHED_METHOD(TVclTestForm, TickTimerTimer));

} // namespace VclTest
