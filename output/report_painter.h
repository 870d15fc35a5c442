#pragma once

class QPainter;
class QPaintDevice;

namespace output {

class Report;

// Paints page n of the report (0-based) with painter, whose origin is the paper's top-left corner
// and which has pxPerMm device units per millimetre. The preview, the printer and PDF all draw
// through here, so what is previewed is what is printed.
void paintPage(QPainter &painter, Report &report, int page, double pxPerMm);

// The same on a whole device (an image, a PDF page) at the device's own resolution.
void paintPage(QPaintDevice &device, Report &report, int page);

// Device units per millimetre of a device.
double unitsPerMm(const QPaintDevice &device);

} // namespace output
