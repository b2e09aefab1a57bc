-- The line record: every servo set up on every station of a line, one row
-- each, as the stations' audit logs hold them. Its versions, oldest first:
-- each begins with a line "-- version N", and `nimbalctl db init` runs the
-- statements of every version newer than the database's, one statement a
-- line end after a semicolon, in one transaction. A version once shipped is
-- never changed: a change is a version of its own. Column names are the
-- audit log's.

-- version 1
CREATE TABLE nimbal_schema (
    version integer NOT NULL
);
INSERT INTO nimbal_schema (version) VALUES (0);
CREATE TABLE servo_records (
    "station" text NOT NULL,
    "run" text NOT NULL,
    "number" integer NOT NULL,
    "time" timestamptz NOT NULL,
    "port" text NOT NULL,
    "result" text NOT NULL CHECK ("result" IN ('PASS', 'FAIL')),
    "before_TorqueGain" integer NOT NULL,
    "before_BrakeGain" integer NOT NULL,
    "before_IntegralGain" integer NOT NULL,
    "before_IntegralSpeed" integer NOT NULL,
    "before_MinPulseWidth" integer NOT NULL,
    "before_MAXPulseWidth" integer NOT NULL,
    "before_Sensitivity" integer NOT NULL,
    "before_NeutralPoint" integer NOT NULL,
    "before_MAXDuty" integer NOT NULL,
    "before_LeftAngleCoefficient" integer NOT NULL,
    "before_RightAngleCoefficient" integer NOT NULL,
    "before_ReversedRotation" integer NOT NULL,
    "before_SoftStart" integer NOT NULL,
    "before_LOCKProtection" integer NOT NULL,
    "after_TorqueGain" integer,
    "after_BrakeGain" integer,
    "after_IntegralGain" integer,
    "after_IntegralSpeed" integer,
    "after_MinPulseWidth" integer,
    "after_MAXPulseWidth" integer,
    "after_Sensitivity" integer,
    "after_NeutralPoint" integer,
    "after_MAXDuty" integer,
    "after_LeftAngleCoefficient" integer,
    "after_RightAngleCoefficient" integer,
    "after_ReversedRotation" integer,
    "after_SoftStart" integer,
    "after_LOCKProtection" integer,
    "label" text NOT NULL,
    "recipe_file" text NOT NULL,
    "recipe_sha256" text NOT NULL,
    "operator" text NOT NULL,
    "software" text NOT NULL,
    "recorded_at" timestamptz NOT NULL,
    "label_checked" text NOT NULL CHECK ("label_checked" IN ('', 'local', 'line')),
    "failed_fields" text NOT NULL,
    PRIMARY KEY ("station", "run", "number")
);
CREATE INDEX servo_records_label ON servo_records ("label");
-- What a station's login may do: add rows and read them, nothing else.
DO $$ BEGIN CREATE ROLE nimbal_station NOLOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END $$;
GRANT SELECT, INSERT ON servo_records TO nimbal_station;
GRANT SELECT ON nimbal_schema TO nimbal_station;
UPDATE nimbal_schema SET version = 1;
