#pragma once

namespace quorvane {

class TDBGrid;
class TPrintAtOnce;

// Prints a data grid as a table of framed cells: an optional number column, the title row
// and the rows of its data set, through the engine's text boxes and page breaks. The data
// set's position is put back afterwards and its controls never see the rows in between.
void PrintDBGrid(TPrintAtOnce& engine, TDBGrid* grid, int dx, int dy);

} // namespace quorvane
