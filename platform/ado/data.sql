-- Orvik's preset database, data.mdb: the camera colour schemes of the three
-- camera families. id counts up and orders the lists; AUTOINCREMENT keeps a
-- deleted id from being handed out again. Names compare case-sensitively.
CREATE TABLE Params(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT,
  red REAL,
  green REAL,
  blue REAL,
  globlegain REAL,
  gamma REAL,
  saturation REAL);

CREATE TABLE P8ZParams(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT,
  red INTEGER,
  green INTEGER,
  blue INTEGER,
  brightness INTEGER,
  saturation INTEGER,
  contrast INTEGER,
  gamma INTEGER,
  exposure INTEGER,
  batuowb INTEGER,
  bautoexpose INTEGER);

CREATE TABLE R5VParams(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT,
  red INTEGER,
  green INTEGER,
  blue INTEGER,
  brightness INTEGER,
  saturation INTEGER,
  contrast INTEGER,
  gamma INTEGER,
  sharpness INTEGER,
  whitebalance INTEGER,
  bwhitebalance INTEGER);
