CREATE TABLE customers (
  id INTEGER PRIMARY KEY,
  name VARCHAR(80) NOT NULL,
  email VARCHAR(120),
  credit NUMERIC(10,2) DEFAULT 0 CONSTRAINT customers_credit_check CHECK (credit >= 0)
);
CREATE TABLE orders (
  customer_id INTEGER NOT NULL REFERENCES customers(id),
  order_no INTEGER NOT NULL,
  placed DATE,
  note TEXT,
  PRIMARY KEY (customer_id, order_no)
);
CREATE TABLE order_lines (
  customer_id INTEGER NOT NULL,
  order_no INTEGER NOT NULL,
  line_no INTEGER NOT NULL,
  qty INTEGER NOT NULL CONSTRAINT order_lines_qty_check CHECK (qty > 0),
  PRIMARY KEY (customer_id, order_no, line_no),
  CONSTRAINT fk_lines_orders FOREIGN KEY (customer_id, order_no)
    REFERENCES orders (customer_id, order_no) ON DELETE CASCADE
);
CREATE TABLE "O'Brien" (x INTEGER);
CREATE UNIQUE INDEX ux_customers_name ON customers (name, email);
CREATE INDEX ix_orders_placed ON orders (placed DESC);
CREATE VIEW big_customers AS SELECT id, name FROM customers WHERE credit > 1000;
CREATE FUNCTION touch_customer() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  UPDATE customers SET credit = credit WHERE id = NEW.customer_id;
  RETURN NEW;
END;
$$;
CREATE TRIGGER trg_orders_touch AFTER INSERT ON orders
  FOR EACH ROW EXECUTE FUNCTION touch_customer();
CREATE FUNCTION order_count(c integer) RETURNS bigint LANGUAGE sql AS
  'SELECT count(*) FROM orders WHERE customer_id = c';
