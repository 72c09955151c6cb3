#pragma once

#include "Database.h"

#include <QByteArray>
#include <QString>

#include <optional>

class MainWindow;

// A look-up's row and the field it was after.
template <typename T> struct RowField {
    bool found = false;     // the row exists
    std::optional<T> value; // none when the field is null or cannot be read
};

// The kiosk's reading of the back office, apart from its window: the settings record and the
// look-ups of a member, his photo, an instructor and a machine's video. The look-ups share the
// main window's connections: one login per database for the whole terminal.
class KioskTables {
public:
    explicit KioskTables(MainWindow& owner);

    // Opens the settings table and the member table chosen by the settings; false (after its
    // message) when either fails.
    bool openTables();
    void close();

    // A field of the settings record, as text.
    QString setting(const QString& field) const;

    // The name of the member holding the number; none when nobody does. The look-up asks the
    // server for that number alone, so a member added in the back office since the kiosk opened
    // is found.
    std::optional<QString> memberName(const QString& enrolment);

    // A member's photo row and the JPEG it holds.
    RowField<QByteArray> memberPhoto(const QString& enrolment);

    // The name of a staff member, "Excluído" when he is no longer on the staff.
    QString instructorName(const QString& staffCode);

    // The first exercise done on a machine and its video path.
    RowField<QString> machineVideo(const QString& machineCode);

    TableDataSet settings; // settings
    KeyedTable members;    // members
    CommandDataSet photoLookup;
    CommandDataSet staffLookup;    // staff
    CommandDataSet exerciseLookup; // a machine's exercise

private:
    bool openSettings();

    MainWindow& m_owner;
};

// Copies a blob into a stream; false when it cannot.
bool readBlob(const DataSet& table, const QString& field, QByteArray& stream);
