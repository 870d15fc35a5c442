#pragma once

#include "app/screen_factory.h"

// The screens of this program; each screen is added here as it is built.
class ProgramScreens : public ScreenFactory
{
};
