#pragma once
#include "platform/Component.h"
