#pragma once

#include "../frame/ui/Window.h"
