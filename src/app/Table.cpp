#include "app/Table.h"

struct Table::Private
{
};

Table::Table(QObject* parent) : QObject(parent), d(std::make_unique<Private>()) {}

Table::~Table() = default;
