#pragma once

#include <memory>

class Table;

// A cursor on the working table: CRDATA.DB of the alias VESKA, not opened.
std::unique_ptr<Table> workingCursor();

// Makes the working table afresh as the wizard defines it, empty.
void createWorkingTable();
