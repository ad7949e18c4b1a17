#pragma once

#include <memory>

class Table;

// Gives `t` the definition of the wizard's working table CRDATA.DB, replacing
// any it had: fourteen fields (Field, Order, Header, the seven flags, DbType,
// Line, LPosition, RPosition), the primary index on Field and "iOrder" on
// Line;Order. Written out here, apart from the wizard's own code, so that
// tests of other parts get the table without opening the wizard.
void defineWorkingTable(Table& t);

// A cursor on the working table: CRDATA.DB of the alias VESKA, not opened.
std::unique_ptr<Table> workingCursor();

// Makes the working table afresh as the wizard defines it, empty.
void createWorkingTable();
