#pragma once

#include "engine/ParadoxTypes.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

struct SharedTableState;

// The program's one database session: table passwords, the network control
// directory, the private directory and the aliases. It also keeps one shared
// in-memory state per open table file, so that two cursors on one table in
// this program see each other's posted rows.
class Session : public QObject
{
    Q_OBJECT
public:
    static Session& instance();

    // Passwords for encrypted tables. They are kept only in memory and are
    // never shown, logged or written anywhere.
    void addPassword(const QString& password);
    int passwordCount() const;
    // Tries each registered password against a table header's checksum.
    // Returns the matching password's index, or -1.
    int matchPassword(quint32 checksum) const;
    QString password(int index) const;

    void setNetDir(const QString& folder);
    QString netDir() const;
    void setPrivateDir(const QString& folder);
    QString privateDir() const;

    // The alias file ("ALIASES.INI" beside the executable unless set).
    void setAliasFile(const QString& path);
    QString aliasFile() const;
    // The alias's parameter lines ("NAME=value") as they stand in the file.
    // An unknown alias raises DatabaseError.
    QStringList aliasParams(const QString& alias) const;
    // The folder of an alias ("PATH=" line); raises DatabaseError when unknown.
    QString aliasFolder(const QString& alias) const;
    // The one reading of an alias's lines, for the engine and AliasPath
    // alike: every line that holds "PATH=" (in any case, wherever it stands)
    // gives the text after it, trimmed of blanks and of one pair of
    // surrounding quotes; the last such line wins. Empty when none does.
    static QString folderOfAliasLines(const QStringList& lines);

    // Checks, once per setting, that the network control directory exists
    // and can be written to; the engine calls it before the first table
    // file is touched. Throws DatabaseError naming the folder. An empty
    // setting means none was configured (tests, single-user use) and passes.
    void checkNetDir();

    // Index definitions of tables this program created, by absolute path.
    // Paradox secondary index files are not written; the definitions given
    // at creation are remembered here for the rest of the run.
    void rememberIndexDefs(const QString& absolutePath, const QList<IndexDef>& indexes);
    // Likewise the required fields (a Paradox table keeps them in a separate
    // validity file, which is not written either).
    void rememberRequiredFields(const QString& absolutePath, const QStringList& fields);
    QStringList rememberedRequiredFields(const QString& absolutePath) const;
    void forgetIndexDefs(const QString& absolutePath);
    // Empty, with `known` false, when this run did not create the table.
    QList<IndexDef> rememberedIndexDefs(const QString& absolutePath, bool* known = nullptr) const;

    // Forgets every setting and shared table state; for tests.
    void reset();

    // Used by Table: the shared state of a table file, created on first use.
    std::shared_ptr<SharedTableState> tableState(const QString& absolutePath);

public:
    ~Session() override;

private:
    Session();
    struct Private;
    std::unique_ptr<Private> d;
};
