#pragma once

#include <QImage>

// The card back "base.jpg": a white-edged card with a navy diamond lattice and a gold medallion,
// size x size pixels, so a covered tile reads as a card lying face down.
QImage RenderCardBack(int size);
