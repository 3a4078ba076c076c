// How a control places itself in its parent; the controls only store it for the layout to apply.
#pragma once

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
