#pragma once

#include "gui/ui/MessageBoxes.h"
#include "mock/FakeUserInterface.h"

namespace corvane::test {

// For window tests: while it lives, the program's message boxes are not shown but
// recorded, and questions are answered from the queue (else with their default).
struct ScriptedMessageBoxes : FakeUserInterface
{
    ScriptedMessageBoxes() { MessageBoxes::divertTo(this); }
    ~ScriptedMessageBoxes() override { MessageBoxes::divertTo(nullptr); }
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;
};

} // namespace corvane::test
